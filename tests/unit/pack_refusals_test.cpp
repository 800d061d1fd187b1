// The packer's command line refusing what would harm an input or build a broken installer: each
// case gives a clear message and a non-zero exit, writes no file, and leaves every input as it was.
// Also the reporting of a run: --version, -v, warnings at the end, --werror, and a write error on
// standard output.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "pack/command_line.h"
#include "tests/unit/fake_stub.h"

namespace fs = std::filesystem;

namespace {

struct PackRun {
    int status;
    std::string out, err;
};

class PackRefusals : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ks-pack-refusals-XXXXXX";
        dir_ = mkdtemp(pattern);
        Write("payload/a.txt", "alpha");
        Write("payload/sub/b.txt", "beta");
        Write("licence.txt", "licence");
        Write("product.ico", std::string("\0\0\1\0\1\0", 6) + std::string(16, '\x10'));
        WriteStub("stub.exe", StubKind::Gui32);
        Write("p.toml", "[product]\nname = \"P\"\nicon = \"product.ico\"\n[wizard]\nlicence = \"licence.txt\"\n"
                        "[[files]]\nfrom = \"payload\"\n");
        fs::create_directory(dir_ / "existing-folder");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const std::string &name, const std::string &bytes) const
    {
        fs::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    void WriteStub(const std::string &name, StubKind kind) const
    {
        const std::vector<uint8_t> b = FakeStub(kind);
        Write(name, std::string(b.begin(), b.end()));
    }

    // Every file below the scratch folder with its bytes (links as their targets' text).
    std::map<std::string, std::string> Snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const auto &e : fs::recursive_directory_iterator(dir_)) {
            const std::string name = fs::relative(e.path(), dir_).string();
            if (e.is_symlink())
                files[name] = "-> " + fs::read_symlink(e.path()).string();
            else if (e.is_regular_file()) {
                std::ifstream in(e.path(), std::ios::binary);
                files[name] = std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            } else {
                files[name] = "(folder)";
            }
        }
        return files;
    }

    // Runs kestrival-pack in the scratch folder with `args`.
    PackRun Pack(std::vector<std::string> args) const
    {
        const fs::path previous = fs::current_path();
        fs::current_path(dir_);
        args.insert(args.begin(), "kestrival-pack");
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        PackRun run;
        run.status = RunPackCommand(int(argv.size()), argv.data());
        run.out = testing::internal::GetCapturedStdout();
        run.err = testing::internal::GetCapturedStderr();
        fs::current_path(previous);
        return run;
    }

    fs::path dir_;
};

} // namespace

TEST_F(PackRefusals, NothingIsWrittenAndNoInputChanges)
{
    fs::create_symlink("p.toml", dir_ / "project-link.toml");
    fs::create_hard_link(dir_ / "payload/a.txt", dir_ / "a-hard-link.txt");
    fs::create_directory(dir_ / "stub-folder");
    WriteStub("stub64.exe", StubKind::Gui64);
    WriteStub("stub.dll", StubKind::Dll);
    WriteStub("console.exe", StubKind::Console);
    Write("text.exe", std::string(4096, 'x'));

    struct Case {
        std::vector<std::string> args;
        const char *says;
    } cases[] = {
        {{"p.toml", "-o", "p.toml"}, "would replace the project file"},
        {{"p.toml", "-o", "./p.toml"}, "would replace the project file"},
        {{"p.toml", "-o", "project-link.toml"}, "would replace the project file"},
        {{"p.toml", "-o", "payload/sub/b.txt"}, "would replace the payload file"},
        {{"p.toml", "-o", "a-hard-link.txt"}, "would replace the payload file"},
        {{"p.toml", "-o", "licence.txt"}, "that the project reads at p.toml:5"},
        {{"p.toml", "-o", "./product.ico"}, "that the project reads at p.toml:3"},
        {{"p.toml", "-o", "stub.exe", "--stub", "./stub.exe"}, "would replace the setup program it is built on"},
        {{"p.toml", "-o", "existing-folder"}, "the output existing-folder is a folder"},
        {{"p.toml", "-o", "no-such-folder/setup.exe"}, "the folder no-such-folder does not exist"},
        {{"p.toml", "-o", "payload/a.txt/setup.exe"}, "the folder payload/a.txt is not a folder"},
        {{"p.toml", "-o", "out.exe", "--stub", "stub-folder"}, "stub-folder is a folder"},
        {{"p.toml", "-o", "out.exe", "--stub", "text.exe"}, "text.exe is not a Windows program"},
        {{"p.toml", "-o", "out.exe", "--stub", "stub64.exe"}, "is a 64-bit program"},
        {{"p.toml", "-o", "out.exe", "--stub", "stub.dll"}, "is a DLL, not a program"},
        {{"p.toml", "-o", "out.exe", "--stub", "console.exe"}, "is a console program"},
        // The stand-in stub carries no version resource: a warning, which --werror makes fatal.
        {{"p.toml", "-o", "out.exe", "--stub", "stub.exe", "--werror"}, "warnings are errors"},
    };
    for (const Case &c : cases) {
        const std::map<std::string, std::string> before = Snapshot();
        const PackRun run = Pack(c.args);
        const std::string line = testing::PrintToString(c.args);
        EXPECT_EQ(run.status, 1) << line << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << line << "\n" << run.err;
        EXPECT_EQ(run.err.find(".partial-"), std::string::npos) << line << "\n" << run.err;
        EXPECT_TRUE(Snapshot() == before) << line;
    }
}

TEST_F(PackRefusals, ARunReportsWhatWasAskedAndWarnsAtTheEnd)
{
    const PackRun version = Pack({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kestrival-pack ", 0), 0u) << version.out;

    const PackRun verbose = Pack({"p.toml", "-o", "out.exe", "--stub", "stub.exe", "-v"});
    ASSERT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_NE(verbose.out.find("  a.txt (5 bytes"), std::string::npos) << verbose.out;
    EXPECT_NE(verbose.out.find("  sub\\b.txt (4 bytes"), std::string::npos) << verbose.out;
    // The stub warning comes after the summary line, in a list with its count.
    EXPECT_NE(verbose.err.find("1 warning:\n  warning: stub.exe: this program does not carry the "
                               "setup program's version resource"),
              std::string::npos)
        << verbose.err;

    Write("empty.toml", "[product]\nname = \"Nothing\"\n");
    const PackRun empty = Pack({"empty.toml", "-o", "empty.exe", "--stub", "stub.exe", "--quiet"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "");
    EXPECT_NE(empty.err.find("2 warnings:\n  warning: empty.toml: the project has no files to install"),
              std::string::npos)
        << empty.err;
}

TEST_F(PackRefusals, AWriteErrorOnStandardOutputFailsTheRun)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int full = open("/dev/full", O_WRONLY);
        dup2(full, STDOUT_FILENO);
        char arg0[] = "kestrival-pack", arg1[] = "--help";
        char *argv[] = {arg0, arg1, nullptr};
        _exit(RunPackCommand(2, argv));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}
