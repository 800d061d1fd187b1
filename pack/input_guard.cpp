#include "pack/input_guard.h"

#include <filesystem>

#include "pack/pack_error.h"

namespace fs = std::filesystem;

namespace {

// Whether two paths name the same file (device and inode: links and hard links included). An
// output that does not exist yet names nothing.
bool SameFile(const std::string &a, const std::string &b)
{
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

} // namespace

void CheckOutputPlace(const std::string &output)
{
    std::error_code error;
    if (fs::is_directory(output, error))
        throw PackError("the output " + output + " is a folder (give the installer's file name)");
    fs::path folder = fs::path(output).parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::is_directory(folder, error))
        throw PackError("the output " + output + " cannot be written: the folder " + folder.string() +
                        (fs::exists(folder, error) ? " is not a folder" : " does not exist"));
}

void CheckOutputSparesInputs(const Project &project, const std::string &stub, const std::string &output)
{
    const auto refuse = [&](const std::string &what) {
        throw PackError("the output " + output + " would replace " + what);
    };
    if (SameFile(output, stub))
        refuse("the setup program it is built on (" + stub + ")");
    for (const ProjectInput &input : project.inputs)
        if (SameFile(output, input.path))
            refuse(input.origin.empty() ? "the project file " + input.path
                                        : "the file " + input.path + " that the project reads at " +
                                              input.origin);
    for (const ProjectFile &file : project.files)
        if (SameFile(output, file.source))
            refuse("the payload file " + file.source + " (added by the entry at " + file.origin + ")");
}
