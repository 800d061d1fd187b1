// Reads a project file (TOML, parsed by toml11) into a Project.
//
// Every table is read through ProjectTable, which records the keys it was asked for: a key that no
// reader asked for is an error ("unknown key"), never silently ignored, so that a misspelt option
// cannot leave an installer built with a default the author did not want. Every error names the
// file and line of the value at fault.
#include "pack/project_reader.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "pack/project_files.h"
#include "pack/pack_error.h"

namespace fs = std::filesystem;

void ProjectReader::Read(const TomlValue &root)
{
    ProjectTable top(root, "");
    std::optional<ProjectTable> product = top.Table("product");
    if (!product) {
        // A misspelt [product] is better reported as such than as a missing one.
        for (const char *name : {"folders", "wizard", "window", "upgrade", "install", "log",
                                 "uninstall", "batches", "notify", "package", "required_product",
                                 "shortcut", "association", "delete", "close_program", "language",
                                 "advanced", "taskbar", "shortcuts", "firewall", "registry", "files"})
            top.Know(name);
        top.Finish();
        throw PackError(p_.path + ": the project has no [product] table (it needs at least "
                                  "the product's name)");
    }
    ReadProduct(*product);
    ReadSection(top, "folders", &ProjectReader::ReadFolders);
    ReadSection(top, "wizard", &ProjectReader::ReadWizard);
    ReadSection(top, "window", &ProjectReader::ReadWindow);
    ReadSection(top, "upgrade", &ProjectReader::ReadUpgrade);
    ReadSection(top, "install", &ProjectReader::ReadInstall);
    ReadSection(top, "log", &ProjectReader::ReadLog);
    ReadSection(top, "uninstall", &ProjectReader::ReadUninstall);
    ReadSection(top, "batches", &ProjectReader::ReadBatches);
    ReadSection(top, "notify", &ProjectReader::ReadNotify);
    ReadSection(top, "package", &ProjectReader::ReadPackage);
    if (std::optional<ProjectTable> t = top.Table("required_product"))
        ReadRequiredProduct(*t);
    for (ProjectTable &t : top.Tables("shortcut"))
        ReadShortcut(t);
    for (ProjectTable &t : top.Tables("association"))
        ReadAssociation(t);
    for (ProjectTable &t : top.Tables("delete"))
        ReadDeletion(t);
    for (ProjectTable &t : top.Tables("close_program"))
        ReadProgramToClose(t);
    ReadLanguages(top.Tables("language"));
    if (std::optional<ProjectTable> t = top.Table("advanced"))
        ReadAdvanced(*t);
    ReadSection(top, "taskbar", &ProjectReader::ReadTaskbar);
    ReadSection(top, "shortcuts", &ProjectReader::ReadShortcutSettings);
    for (ProjectTable &t : top.Tables("firewall"))
        ReadFirewall(t);
    ReadSection(top, "registry", &ProjectReader::ReadRegistry);
    BuildShellSettings();
    top.Know("files");
    top.Finish();
    p_.files = ReadFileEntries(top, p_.folder, p_.warnings);
    if (p_.files.empty())
        p_.warnings.push_back(p_.path + ": the project has no files to install (no [[files]] entry)");
    CheckCounts(top);
}

void ProjectReader::ReadSection(ProjectTable &top, const char *name, SectionReader reader)
{
    std::optional<ProjectTable> t = top.Table(name);
    if (t) {
        (this->*reader)(*t);
        t->Finish();
    } else {
        ProjectTable empty(emptyTable_, name);
        (this->*reader)(empty);
    }
}

// A file named by the project, relative to the project's folder, read whole. A folder or a
// file of the wrong kind is an error here: read blindly, a folder gives no bytes at all and a
// mistaken file gives an installer that shows nothing or garbage.
std::string ProjectReader::FileBytes(const TomlValue &at, FileKind kind)
{
    const std::string name = TextOf(at);
    const std::string path = ResolveProjectPath(p_.folder, name);
    std::error_code error;
    if (fs::is_directory(path, error))
        FailAt(at, "\"" + name + "\" is a folder, not a file (" + path + ")");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        FailAt(at, "cannot read \"" + name + "\" (" + path + ")");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        FailAt(at, "cannot read \"" + name + "\" (" + path + ")");
    p_.inputs.push_back({path, LocationOf(at)});
    std::string content = bytes.str();
    if (const char *wrong = WrongFormat(content, kind))
        FailAt(at, "\"" + name + "\" is not " + wrong);
    return content;
}

String ProjectReader::FileString(const TomlValue &at, FileKind kind)
{
    const std::string bytes = FileBytes(at, kind);
    if (bytes.size() > 0x40000000)
        FailAt(at, "the file is larger than 1 GiB");
    return ByteString(bytes);
}

// A licence or readme document: rich text as it is, plain text with Windows line ends.
String ProjectReader::Document(const TomlValue &at)
{
    std::string bytes = FileBytes(at);
    const bool rich = bytes.rfind("{\\rtf", 0) == 0 || bytes.rfind("\xEF\xBB\xBF{\\rtf", 0) == 0;
    return ByteString(rich ? bytes : WithCrLf(bytes));
}

// Text readers of the forms the settings use; each returns `fallback` when the key is absent.
String ProjectReader::WideKey(ProjectTable &t, const char *key, const String &fallback)
{
    const TomlValue *v = t.Text(key);
    return v ? WideText(*v, TextOf(*v)) : fallback;
}

String ProjectReader::NarrowKey(ProjectTable &t, const char *key, const String &fallback)
{
    const TomlValue *v = t.Text(key);
    return v ? Windows1252Text(*v, TextOf(*v)) : fallback;
}

String ProjectReader::PathKey(ProjectTable &t, const char *key, const String &fallback)
{
    const TomlValue *v = t.Text(key);
    return v ? PathText(*v, TextOf(*v)) : fallback;
}

String ProjectReader::BatchKey(ProjectTable &t, const char *key)
{
    const TomlValue *v = t.Text(key);
    return v ? Windows1252Text(*v, WithCrLf(TextOf(*v))) : String();
}

String ProjectReader::FileKey(ProjectTable &t, const char *key, FileKind kind)
{
    const TomlValue *v = t.Text(key);
    return v ? FileString(*v, kind) : String();
}

namespace {

Project ReadFrom(const TomlValue &root, const std::string &name, const std::string &folder)
{
    Project project;
    project.path = name;
    project.folder = folder;
    ProjectReader(project).Read(root);
    return project;
}

} // namespace

Project ReadProjectText(const std::string &text, const std::string &name, const std::string &folder)
{
    std::istringstream in(text);
    TomlValue root;
    try {
        root = toml::parse(in, name);
    } catch (const toml::syntax_error &e) {
        throw PackError(TomlSyntaxMessage(e));
    }
    return ReadFrom(root, name, folder);
}

Project ReadProject(const std::string &path)
{
    std::error_code error;
    if (fs::is_directory(path, error))
        throw PackError("the project file " + path + " is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ThrowSystemError("cannot open the project file " + path);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        ThrowSystemError("cannot read the project file " + path);
    const size_t slash = path.rfind('/');
    Project project = ReadProjectText(text.str(), path, slash == std::string::npos ? "." : path.substr(0, slash));
    project.inputs.insert(project.inputs.begin(), ProjectInput{path, ""});
    return project;
}