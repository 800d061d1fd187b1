#include <gtest/gtest.h>

#include <string>

#include "install/path_env.h"
#include "wide_support.h"

namespace {

struct EditCase {
    const char *path;
    const char *folder;
    bool changes;
    const char *result;
};

TEST(PathEnvironment, AddingTheFolder)
{
    const EditCase cases[] = {
        {"C:\\Windows;C:\\Tools", "C:\\App", true, "C:\\Windows;C:\\Tools;C:\\App"},
        {"C:\\Windows;", "C:\\App", true, "C:\\Windows;C:\\App"},
        {"", "C:\\App", false, ""},                                       // never from nothing
        {"C:\\App;C:\\Windows", "C:\\App", false, ""},                    // first
        {"C:\\Windows;C:\\App;C:\\Tools", "C:\\App", false, ""},          // middle
        {"C:\\Windows;C:\\App", "C:\\App", false, ""},                    // end, no ";"
        {"C:\\App", "C:\\App", false, ""},                                // alone
        {"C:\\Windows;c:\\app\\", "C:\\App", false, ""},                  // case, backslash
        {"C:\\Windows;\"C:\\App\"", "C:\\App", false, ""},                // quoted
        {"C:\\Windows; C:\\App ;x", "C:\\App\\", false, ""},              // blanks
        {"C:\\Windows;C:\\App2", "C:\\App", true, "C:\\Windows;C:\\App2;C:\\App"},
        {"C:\\Windows;D:\\Old\\C:\\App", "C:\\App", true, "C:\\Windows;D:\\Old\\C:\\App;C:\\App"},
        {"C:\\Windows;C:\\App\\bin", "C:\\App", true, "C:\\Windows;C:\\App\\bin;C:\\App"},
        {"%SystemRoot%\\system32", "C:\\App", true, "%SystemRoot%\\system32;C:\\App"},
    };
    for (const EditCase &c : cases) {
        String out = Wd(u"untouched");
        EXPECT_EQ(PathListWithFolder(WideFrom(c.path), WideFrom(c.folder), out), c.changes) << c.path;
        EXPECT_EQ(Utf8(out), c.changes ? c.result : "untouched") << c.path;
        EXPECT_EQ(PathListHasFolder(WideFrom(c.path), WideFrom(c.folder)), !c.changes && *c.path) << c.path;
    }
}

TEST(PathEnvironment, RemovingTheFolder)
{
    const EditCase cases[] = {
        {"C:\\App;C:\\Windows;C:\\Tools", "C:\\App", true, "C:\\Windows;C:\\Tools"},       // first
        {"C:\\Windows;C:\\App;C:\\Tools", "C:\\App", true, "C:\\Windows;C:\\Tools"},       // middle
        {"C:\\Windows;C:\\Tools;C:\\App", "C:\\App", true, "C:\\Windows;C:\\Tools"},       // end
        {"C:\\Windows;C:\\Tools;C:\\App;", "C:\\App", true, "C:\\Windows;C:\\Tools;"},     // end with ";"
        {"C:\\App", "C:\\App", false, ""},                                                 // alone: kept
        {"C:\\App;", "C:\\App", false, ""},                                                // alone with ";"
        {"C:\\App;C:\\Windows;c:\\APP\\", "C:\\App", true, "C:\\Windows"},                 // every copy
        {"C:\\Windows;;C:\\App;C:\\Tools", "C:\\App", true, "C:\\Windows;;C:\\Tools"},     // empty entry stays
        {"C:\\Windows;C:\\App2", "C:\\App", false, ""},                                    // not there
        {"C:\\Windows;C:\\App\\bin", "C:\\App", false, ""},
        {"", "C:\\App", false, ""},
        {"C:\\Windows;C:\\App", "", false, ""},
    };
    for (const EditCase &c : cases) {
        String out = Wd(u"untouched");
        EXPECT_EQ(PathListWithoutFolder(WideFrom(c.path), WideFrom(c.folder), out), c.changes) << c.path;
        EXPECT_EQ(Utf8(out), c.changes ? c.result : "untouched") << c.path;
    }
}

// A PATH of 5,000 characters with the folder in its middle: every other character survives both
// edits, in order.
TEST(PathEnvironment, LongPathIsKeptWhole)
{
    std::string path;
    for (int i = 0; path.size() < 5000; ++i)
        path += "C:\\Program Files\\Some Vendor\\Tool " + std::to_string(i) + "\\bin;";
    path.pop_back();
    ASSERT_GE(path.size(), 5000u);
    const std::string folder = "C:\\Kestrival Sample\\bin";

    String added;
    ASSERT_TRUE(PathListWithFolder(WideFrom(path.c_str()), WideFrom(folder.c_str()), added));
    EXPECT_EQ(Utf8(added), path + ";" + folder);

    const std::string middle = path.substr(0, 2500) + ";" + folder + ";" + path.substr(2500);
    String removed;
    // substr(0, 2500) may cut inside an entry; the cut pieces stay separate entries either way.
    ASSERT_TRUE(PathListWithoutFolder(WideFrom(middle.c_str()), WideFrom(folder.c_str()), removed));
    EXPECT_EQ(Utf8(removed), path.substr(0, 2500) + ";" + path.substr(2500));
}

TEST(PathEnvironment, FolderFromTheSubfolderSetting)
{
    struct Case {
        const char *subfolder;
        const char *folder;
    } cases[] = {
        {"", "C:\\App"},
        {"  ", "C:\\App"},
        {"bin", "C:\\App\\bin"},
        {"\\bin", "C:\\App\\bin"},
        {"D:\\Tools", "D:\\Tools"},
        {"\\\\server\\share\\bin", "\\\\server\\share\\bin"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Utf8(PathFolderFor(Wd(u"C:\\App"), WideFrom(c.subfolder))), c.folder) << c.subfolder;
}

} // namespace
