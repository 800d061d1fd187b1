#include <gtest/gtest.h>

#include <string>

#include "core/path_check.h"

namespace {

struct ValidCase {
    const char *text;
    uint32_t options;
    bool valid;
};

std::u16string Widen(const char *ascii)
{
    std::u16string out;
    for (const char *p = ascii; *p; ++p)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    return out;
}

} // namespace

// ASCII cases: the wide and the 8-bit form must agree on each.
TEST(PathCheck, ValidPathTable)
{
    const ValidCase cases[] = {
        {"C:\\Program Files\\Product", 0, true},
        {"C:\\Folder", 0, true},
        {"C:\\Folder?", 0, false},
        {"C:\\Folder?", PathAllowQuestion, true},
        {"C:\\Folder?", PathAllowStar, false},
        {"C:\\*.txt", 0, false},
        {"C:\\*.txt", PathAllowStar, true},
        {"C:\\*.tx?", PathAllowStar, false},
        {"C:\\*.tx?", PathAllowStar | PathAllowQuestion, true},
        {"Folder\\File.txt", 0, true},
        {"", 0, false},
        {"", PathTrimBlanks, false},
        {" \t\r\n", PathTrimBlanks, false},
        {" C:\\a", 0, false},
        {"C:\\a ", 0, false},
        {"C:\\a\r\n", 0, false},
        {"\tC:\\a\r\n", PathTrimBlanks, true},
        {"C:\\a\\", 0, false},
        {"C:\\a\\", PathAllowTrailingBackslash, true},
        {"C:\\", 0, false},
        {"C:\\", PathAllowTrailingBackslash, true},
        {"\"C:\\a b\"", 0, true},
        // The trailing backslash is tested before the quotes come off: the quote ends this one.
        {"\"C:\\a\\\"", 0, true},
        {"\"C:\\a\\\"", PathAllowTrailingBackslash, true},
        {"\"C:\\a", 0, false},
        {"C:\\a\"", 0, false},
        {"\"\"", 0, false},
        {"a\\b", PathMustBeAbsolute, false},
        {"C:a", 0, true},
        {"C:a", PathMustBeAbsolute, false},
        {"C:\\a", PathMustBeAbsolute, true},
        {"\\\\server\\share\\a", PathMustBeAbsolute, true},
        {"\\a", PathMustBeAbsolute, false},
        {"1:\\a", 0, false},
        {":\\a", 0, false},
        {"C:\\a:b", 0, false},
        {"C:\\a\\\\b", 0, false},
        {"\\\\server\\share", 0, true},
        {"\\\\\\server", 0, false},
        {"a\\b\\\\", PathAllowTrailingBackslash, false},
        {"a/b", 0, false},
        {"a<b", 0, false},
        {"a>b", 0, false},
        {"a|b", 0, false},
        {"a;b", 0, false},
        {"a;b", PathAllowStar | PathAllowQuestion, false},
        {"ab:c", PathAllowStar | PathAllowQuestion, false},
        {"a b.c", 0, true},
    };
    for (const ValidCase &c : cases) {
        EXPECT_EQ(IsValidPath(c.text, c.options), c.valid) << "8-bit \"" << c.text << "\" " << c.options;
        EXPECT_EQ(IsValidPath(Widen(c.text).c_str(), c.options), c.valid)
            << "wide \"" << c.text << "\" " << c.options;
    }
}

TEST(PathCheck, NonAsciiPaths)
{
    // "|" marks UTF-8 in 8-bit path text: C:\Müller
    EXPECT_TRUE(IsValidPath("|C:\\M\xC3\xBCller", PathMustBeAbsolute));
    EXPECT_TRUE(IsValidPath(" |C:\\M\xC3\xBCller\t", PathTrimBlanks));
    EXPECT_FALSE(IsValidPath("|C:\\M\xC3\xBCller?", 0));
    EXPECT_FALSE(IsValidPath(u"|C:\\a", 0));     // wide text has no such mark
    EXPECT_TRUE(IsValidPath(u"C:\\M\u00FCller\\\u65E5\u672C", PathMustBeAbsolute));
}

TEST(PathCheck, AbsolutePathTable)
{
    const struct {
        const char *text;
        bool absolute;
    } cases[] = {
        {"C:\\", true},
        {"z:\\a", true},
        {"  C:\\a", true},
        {"\\\\server\\share", true},
        {"\\\\", true},
        {"C:", false},
        {"C:a", false},
        {"C:/a", false},
        {"\\a", false},
        {"a\\b", false},
        {"1:\\a", false},
        {"", false},
        {"\tC:\\a", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(IsAbsolutePath(c.text), c.absolute) << c.text;
        EXPECT_EQ(IsAbsolutePath(Widen(c.text).c_str()), c.absolute) << c.text;
    }
    EXPECT_TRUE(IsAbsolutePath("|C:\\M\xC3\xBCller"));
    EXPECT_TRUE(IsAbsolutePath(" |\\\\server\\x"));
    EXPECT_FALSE(IsAbsolutePath(u"|C:\\a"));
}
