#include <gtest/gtest.h>

#include <string>

#include "wizard/page_rules.h"

namespace {

String W(const char16_t *text) { return String(text); }

std::u16string U(const String &wide) { return std::u16string(wide.Wide(), size_t(wide.WideLength())); }

TEST(PageTemplateName, EachVariantPicksItsTemplate)
{
    const struct {
        int variant;
        const char16_t *name;
    } cases[] = {
        {0, u"StartMenuDlg2"}, {1, u"StartMenuDlg"}, {2, u"StartMenuDlg3"}, {3, u"StartMenuDlg4"},
        {5, u"StartMenuDlg3"}, {-1, u"StartMenuDlg3"}, {4, u"StartMenuDlg3"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(U(PageTemplateName(u"StartMenuDlg", c.variant)), c.name) << c.variant;
}

TEST(SizeText, UnitsOf1024WithTwoDecimals)
{
    const struct {
        int64_t bytes;
        const char16_t *text;
    } cases[] = {
        {0, u"0 bytes"},
        {1023, u"1023 bytes"},
        {1024, u"1.00 KB"},
        {1536, u"1.50 KB"},
        {(int64_t(1) << 20) - 1, u"1024.00 KB"},
        {int64_t(1) << 20, u"1.00 MB"},
        {int64_t(5) << 30, u"5.00 GB"},
        {(int64_t(1) << 40) * 3 / 2, u"1.50 TB"},
        {int64_t(2048) << 30, u"2.00 TB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(U(SizeText(c.bytes)), c.text) << c.bytes;
}

TEST(RequiredSpace, FilesRoundToClustersUninstallerAndExtraDoNot)
{
    const int32_t sizes[] = {1, 4096, 4097, 0};
    // 4096 + 4096 + 8192 + 0, then 1,000 for the uninstaller and 7 extra.
    EXPECT_EQ(RequiredSpace(sizes, 4, 4096, 1000, 7), 16384 + 1007);
    // An unknown cluster size counts as 4,096 bytes.
    EXPECT_EQ(RequiredSpace(sizes, 4, 0, 0, 0), 16384);
    EXPECT_EQ(RequiredSpace(sizes, 4, 512, 0, 0), 512 + 4096 + 4608);
    EXPECT_EQ(RequiredSpace(nullptr, 0, 4096, 0, int64_t(1) << 33), int64_t(1) << 33);
}

TEST(StartMenuName, AcceptButtonFollowsTheNameRules)
{
    const struct {
        const char16_t *name;
        bool acceptable;
    } cases[] = {
        {u"", true},
        {u"Kestrival", true},
        {u"Kestrival\\Tools", true},
        {u"Kestrival\\", true},
        {u"\\Kestrival", false},
        {u"Kestrival\\\\Tools", false},
        {u"C:Kestrival", false},
        {u"a/b", false}, {u"a\"b", false}, {u"a<b", false}, {u"a>b", false}, {u"a|b", false},
        {u"a*b", false}, {u"a?b", false}, {u"a;b", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsAcceptableStartMenuName(W(c.name)), c.acceptable) << std::string(c.name, c.name + 1);
}

TEST(FinishBoxes, PlacementPerVariant)
{
    const struct {
        int variant, boxes, left, top;
    } cases[] = {
        {1, 4, 102, 52}, {3, 1, 102, 52}, {2, 2, 20, 78}, {7, 3, 20, 78},
        {0, 4, 4, 32}, {0, 1, 4, 53}, {0, 2, 4, 46},
    };
    for (const auto &c : cases) {
        const FinishBoxPlacement p = PlaceFinishBoxes(c.variant, c.boxes);
        EXPECT_EQ(p.left, c.left) << c.variant << "/" << c.boxes;
        EXPECT_EQ(p.firstTop, c.top) << c.variant << "/" << c.boxes;
    }
}

TEST(GreetingLink, AnchorWithoutAttributesInEitherCase)
{
    EXPECT_EQ(U(GreetingLinkMarkup(W(u"See <A>our site</A> now"))), u"See <a>our site</a> now");
    EXPECT_EQ(U(GreetingLinkMarkup(W(u"See <a>our site</a> now"))), u"See <a>our site</a> now");
    EXPECT_EQ(U(GreetingLinkMarkup(W(u"no link here"))), u"no link here");
}

TEST(RichText, MarkWithOrWithoutByteOrderMark)
{
    int32_t start = -1;
    EXPECT_TRUE(IsRichTextDocument(String("{\\rtf1 x}"), &start));
    EXPECT_EQ(start, 0);
    EXPECT_TRUE(IsRichTextDocument(String("\xEF\xBB\xBF{\\rtf1 x}"), &start));
    EXPECT_EQ(start, 3);
    EXPECT_FALSE(IsRichTextDocument(String("{\\rt"), &start));
    EXPECT_FALSE(IsRichTextDocument(String(" {\\rtf1}"), &start));
    EXPECT_FALSE(IsRichTextDocument(String("Plain licence"), &start));
}

TEST(Password, ComparedByteForByte)
{
    EXPECT_TRUE(PasswordMatches(String("Kestrel-7"), String("Kestrel-7")));
    EXPECT_FALSE(PasswordMatches(String("kestrel-7"), String("Kestrel-7")));
    EXPECT_FALSE(PasswordMatches(String("Kestrel-7 "), String("Kestrel-7")));
    EXPECT_FALSE(PasswordMatches(String(""), String("Kestrel-7")));
}

} // namespace

namespace {

TEST(FillRow, OneArgumentNeverMore)
{
    const struct {
        const char16_t *row, *argument, *text;
    } cases[] = {
        {u"Drive %c: is not available.", u"Q", u"Drive Q: is not available."},
        {u"%s is the folder for all programs.", u"C:\\Program Files", u"C:\\Program Files is the folder for all programs."},
        {u"%ls and %s", u"one", u"one and %s"},
        {u"100%% sure: %d", u"7", u"100% sure: 7"},
        {u"%n %x %s", u"arg", u"%n %x arg"},
        {u"no conversion", u"arg", u"no conversion"},
        {u"ends with %", u"arg", u"ends with %"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(U(FillRow(W(c.row), W(c.argument))), c.text);
}

} // namespace
