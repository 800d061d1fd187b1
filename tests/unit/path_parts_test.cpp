#include <gtest/gtest.h>

#include <string>

#include "core/path_parts.h"

namespace {

std::u16string Text(const String &s) { return std::u16string(s.Wide(), static_cast<size_t>(s.WideLength())); }

} // namespace

TEST(PathParts, FolderAndFileName)
{
    const struct {
        const char16_t *path, *folder, *name;
    } cases[] = {
        {u"C:\\a\\b.txt", u"C:\\a", u"b.txt"},
        {u"C:\\b.txt", u"C:", u"b.txt"},
        {u"b.txt", u"", u"b.txt"},
        {u"C:\\a\\", u"C:\\a", u""},
        {u"", u"", u""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Text(WidePathFolder(String(c.path))), c.folder);
        EXPECT_EQ(Text(WidePathFileName(String(c.path))), c.name);
    }
}

TEST(PathParts, JoinAndStrip)
{
    EXPECT_EQ(Text(WidePathJoin(String(u"C:\\a"), String(u"b"))), u"C:\\a\\b");
    EXPECT_EQ(Text(WidePathJoin(String(u"C:\\"), String(u"b"))), u"C:\\b");
    EXPECT_EQ(Text(WidePathJoin(String(), String(u"b"))), u"b");
    String path(u"C:\\a\\");
    EXPECT_TRUE(WidePathStripTrailingBackslash(path));
    EXPECT_EQ(Text(path), u"C:\\a");
    EXPECT_FALSE(WidePathStripTrailingBackslash(path));
}
