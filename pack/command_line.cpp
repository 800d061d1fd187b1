#include "pack/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "pack/input_guard.h"
#include "pack/installer_dump.h"
#include "pack/installer_writer.h"
#include "pack/pack_error.h"
#include "pack/progress.h"
#include "pack/project.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The packer and the setup program it builds on are released together, under one version (the
// setup program's version resource, res/setup.rc).
constexpr char kVersion[] = "1.0.0";

const char kUsage[] =
    "Usage:\n"
    "  kestrival-pack PROJECT -o OUTPUT [options]   write an installer\n"
    "  kestrival-pack --dump INSTALLER [--json] [--languages]  show what an installer holds\n"
    "  kestrival-pack --extract DIR INSTALLER       write out the files an installer holds\n"
    "  kestrival-pack --help                        show this text\n"
    "\n"
    "PROJECT is a project file (TOML) naming the product and its files; see README.md,\n"
    "\"Project files\", and examples/everything/everything.toml for every setting.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUTPUT   the installer to write (replaced only when it was written whole)\n"
    "  --stub PATH           the setup program to build on (default: " KS_DEFAULT_STUB ")\n"
    "  --level N             compression level, 0 (store) to 9 (smallest; the project's\n"
    "                        [package] level, 6 unless set)\n"
    "  --chunk-size N        bytes of file data per chunk (suffix K or M allowed; the project's\n"
    "                        [package] chunk_size, 1M unless set)\n"
    "  --threads N           compress on N threads (default: one per core); the output is\n"
    "                        the same whatever N\n"
    "  -q, --quiet           no progress and no summary\n"
    "  -v, --verbose         one line per file packed\n"
    "  --werror              treat warnings as errors (no installer is written)\n"
    "  --dump INSTALLER      read an installer back and print its header, options, settings,\n"
    "                        lists and files, each value beside the project key that sets it\n"
    "  --json                with --dump: the whole structure as JSON\n"
    "  --languages           with --dump: the language table row by row\n"
    "  --extract DIR INSTALLER  write the installer's files below DIR (an empty or new folder)\n"
    "  -h, --help            this text\n"
    "  --version             the packer's version\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 wrong usage.\n";

std::string SizeText(uint64_t bytes)
{
    char text[32];
    if (bytes < 10 * 1024)
        std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    else if (bytes < 10 * 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f KiB", bytes / 1024.0);
    else
        std::snprintf(text, sizeof text, "%.1f MiB", bytes / 1048576.0);
    return text;
}

int Usage(const std::string &problem)
{
    std::fprintf(stderr, "kestrival-pack: %s\nTry 'kestrival-pack --help'.\n", problem.c_str());
    return kExitUsage;
}

// A byte count with an optional K or M suffix.
bool ParseSize(const char *text, int64_t &value)
{
    errno = 0;
    char *end = nullptr;
    const long long n = std::strtoll(text, &end, 10);
    if (errno || end == text || n < 0)
        return false;
    int64_t factor = 1;
    if (*end == 'k' || *end == 'K')
        factor = 1024, ++end;
    else if (*end == 'm' || *end == 'M')
        factor = 1024 * 1024, ++end;
    if (*end != '\0' || n > INT64_MAX / factor)
        return false;
    value = n * factor;
    return true;
}

// The warnings of a run, at its end (where they are seen), as a build log lists them.
void PrintWarnings(const std::vector<std::string> &warnings)
{
    if (warnings.empty())
        return;
    std::fprintf(stderr, "%zu warning%s:\n", warnings.size(), warnings.size() == 1 ? "" : "s");
    for (const std::string &w : warnings)
        std::fprintf(stderr, "  warning: %s\n", w.c_str());
}

// A full disk or a closed pipe on standard output is a failure like any other: a dump cut short
// must not end with success.
int FinishOutput(int status)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "kestrival-pack: cannot write the standard output: %s\n", std::strerror(errno));
        return kExitFailed;
    }
    return status;
}

} // namespace

int RunPackCommand(int argc, char **argv)
{
    std::string project, output, dump, extract;
    PackOptions options;
    options.stub = KS_DEFAULT_STUB;
    bool quiet = false;
    DumpForm dumpForm;
    bool dumpFormGiven = false;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](std::string &into) {
            if (i + 1 >= argc)
                return false;
            into = argv[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return FinishOutput(kExitDone);
        } else if (arg == "-o" || arg == "--output") {
            if (!value(output))
                return Usage(arg + " needs the installer's path");
        } else if (arg == "--stub") {
            if (!value(options.stub))
                return Usage("--stub needs the setup program's path");
        } else if (arg == "--dump") {
            if (!value(dump))
                return Usage("--dump needs the installer's path");
        } else if (arg == "--extract") {
            if (!value(extract))
                return Usage("--extract needs the folder to write the files to");
        } else if (arg == "--level") {
            std::string text;
            int64_t level;
            if (!value(text) || !ParseSize(text.c_str(), level) || level > 9 ||
                text.find_first_not_of("0123456789") != std::string::npos)
                return Usage("--level needs a number from 0 to 9");
            options.level = static_cast<int>(level);
        } else if (arg == "--chunk-size") {
            std::string text;
            int64_t size;
            if (!value(text) || !ParseSize(text.c_str(), size) || size < 4096 || size > 0x10000000)
                return Usage("--chunk-size needs a size from 4K to 256M");
            options.chunkSize = static_cast<int32_t>(size);
        } else if (arg == "--threads") {
            std::string text;
            int64_t threads;
            if (!value(text) || !ParseSize(text.c_str(), threads) || threads < 1 || threads > 256 ||
                text.find_first_not_of("0123456789") != std::string::npos)
                return Usage("--threads needs a number from 1 to 256");
            options.threads = static_cast<unsigned>(threads);
        } else if (arg == "--json") {
            dumpForm.json = dumpFormGiven = true;
        } else if (arg == "--languages") {
            dumpForm.languages = dumpFormGiven = true;
        } else if (arg == "-q" || arg == "--quiet") {
            quiet = true;
        } else if (arg == "-v" || arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--werror") {
            options.warningsAreErrors = true;
        } else if (arg == "--version") {
            std::printf("kestrival-pack %s\n", kVersion);
            return FinishOutput(kExitDone);
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return Usage("unknown option " + arg);
        } else if (project.empty()) {
            project = arg;
        } else {
            return Usage("more than one project file given (" + project + ", " + arg + ")");
        }
    }

    if (dumpFormGiven && dump.empty())
        return Usage("--json and --languages go with --dump");
    try {
        if (!dump.empty()) {
            if (!project.empty() || !output.empty() || !extract.empty())
                return Usage("--dump takes only the installer's path");
            PrintInstallerDump(DumpInstaller(dump), stdout, dumpForm);
            return FinishOutput(kExitDone);
        }
        if (!extract.empty()) {
            if (project.empty() || !output.empty())
                return Usage("--extract DIR takes the installer's path");
            std::error_code error;
            if (std::filesystem::exists(extract, error) && !std::filesystem::is_empty(extract, error))
                throw PackError("the folder " + extract + " to extract to is not empty");
            const InstallerDump d = DumpInstaller(project, extract);
            if (options.verbose)
                for (const DumpedFile &f : d.files)
                    std::printf("  %s (%d bytes)\n", std::string(f.record.name.Bytes(), f.record.name.Length()).c_str(),
                                f.size);
            return FinishOutput(kExitDone);
        }
        if (project.empty())
            return Usage("no project file given");
        if (output.empty())
            return Usage("no output given (-o INSTALLER)");
        // A wrong output is refused before the project is read, however long that takes.
        CheckOutputPlace(output);
        const Project p = ReadProject(project);
        options.output = output;
        options.progress = !quiet && !options.verbose && StdoutIsTerminal();
        const PackSummary summary = PackInstaller(p, options);
        if (!quiet)
            std::printf("%s: %d file%s, %s of content, an installer of %s\n", output.c_str(),
                        summary.files, summary.files == 1 ? "" : "s",
                        SizeText(summary.contentBytes).c_str(), SizeText(summary.installerBytes).c_str());
        PrintWarnings(summary.warnings);
        return FinishOutput(kExitDone);
    } catch (const PackError &e) {
        std::fprintf(stderr, "kestrival-pack: %s\n", e.what());
        return kExitFailed;
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "kestrival-pack: out of memory\n");
        return kExitFailed;
    }
}
