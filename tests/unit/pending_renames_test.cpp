#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pending_renames.h"

namespace {

using Names = std::vector<std::u16string>;

std::u16string U(const String &s) { return std::u16string(s.Wide(), static_cast<size_t>(s.WideLength())); }

String Raw(const std::u16string &units) { return String(units.data(), static_cast<int32_t>(units.size())); }

Names ToNames(const Array<String> &elements)
{
    Names names;
    for (int32_t i = 0; i < elements.Count(); ++i)
        names.push_back(U(elements[i]));
    return names;
}

Array<String> ToArray(const Names &names)
{
    Array<String> elements;
    for (const std::u16string &n : names)
        elements.Add(String(n.data(), static_cast<int32_t>(n.size())));
    return elements;
}

std::string g_log;
void Collect(const char *text) { g_log += text; }

struct Cleaned {
    int removed;
    Names remaining;
    Names recycled;
    std::string log;
};

Cleaned Clean(const Names &entries, std::initializer_list<const char *> installed, PendingLogSink log = Collect)
{
    PathTextSet set(static_cast<int32_t>(installed.size()));
    for (const char *path : installed)
        set.Set(String(path), true);
    Array<String> list = ToArray(entries);
    Array<String> recycle;
    g_log.clear();
    const int removed = CleanPendingRenameList(list, set, log, recycle);
    return {removed, ToNames(list), ToNames(recycle), g_log};
}

} // namespace

TEST(PendingRenames, SplitKeepsEmptyTargetsAndDropsTheListEnd)
{
    using namespace std::string_literals;
    const struct {
        std::u16string raw;
        Names elements;
    } cases[] = {
        {u"a\0b\0\0"s, {u"a", u"b"}},
        {u"\\??\\C:\\x\0\0\0"s, {u"\\??\\C:\\x", u""}},           // a deletion, then the list end
        {u"a\0\0b\0c\0\0"s, {u"a", u"", u"b", u"c"}},
        {u"a\0b\0"s, {u"a", u"b"}},                               // written without the list end
        {u"a\0b"s, {u"a", u"b"}},                                 // last string unterminated
        {u""s, {}},
        {u"\0"s, {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ToNames(SplitMultiString(Raw(c.raw))), c.elements);
    }
    EXPECT_EQ(U(JoinMultiString(ToArray({u"a", u"", u"b", u"c"}))), u"a\0\0b\0c\0\0"s);
    EXPECT_EQ(U(JoinMultiString(Array<String>())), u"\0"s);
}

TEST(PendingRenames, KeyStripsThePrefixAndLowersAsciiOnly)
{
    EXPECT_STREQ(PendingRenameKey(String(u"\\??\\C:\\App\\A.DLL")).Bytes(), "c:\\app\\a.dll");
    EXPECT_STREQ(PendingRenameKey(String(u"!\\??\\C:\\App\\A.DLL")).Bytes(), "c:\\app\\a.dll");
    EXPECT_STREQ(PendingRenameKey(String(u"\\??\\C:\\M\u00DCller")).Bytes(), "|c:\\m\xC3\x9Cller");
    EXPECT_STREQ(PendingRenameKey(String(u"\\??\\")).Bytes(), "");
}

TEST(PendingRenames, MovesOntoInstalledFilesAndTheirDeletionsAreRemoved)
{
    const Cleaned c = Clean(
        {
            u"\\??\\C:\\Temp\\new1.tmp", u"!\\??\\C:\\App\\A.DLL",   // move onto an installed file
            u"\\??\\C:\\Temp\\keep.tmp", u"!\\??\\C:\\Other\\b.dll",  // another program's move
            u"\\??\\C:\\App\\Readme.TXT", u"",                        // deletion of an installed file
            u"\\??\\C:\\Other\\old.log", u"",                         // another program's deletion
            u"", u"",                                                 // empty pair
            u"\\??\\C:\\Temp\\new2.tmp", u"\\??\\C:\\M\u00DCller\\c.dll",
        },
        {"c:\\app\\a.dll", "c:\\app\\readme.txt", "|c:\\m\xC3\x9Cller\\c.dll"});
    EXPECT_EQ(c.removed, 4);
    EXPECT_EQ(c.remaining, (Names{u"\\??\\C:\\Temp\\keep.tmp", u"!\\??\\C:\\Other\\b.dll",
                                  u"\\??\\C:\\Other\\old.log", u""}));
    EXPECT_EQ(c.recycled, (Names{u"C:\\Temp\\new1.tmp", u"C:\\Temp\\new2.tmp"}));
    EXPECT_EQ(c.log, "\r\n"
                     "File \"c:\\app\\a.dll\" was removed from the list of pending moves.\r\n"
                     "File \"c:\\app\\readme.txt\" was removed from the list of pending deletions.\r\n"
                     "File \"|c:\\m\xC3\x9Cller\\c.dll\" was removed from the list of pending moves.\r\n");
}

TEST(PendingRenames, OddListEndsWithADeletion)
{
    const Cleaned c = Clean({u"\\??\\C:\\a", u"\\??\\C:\\b", u"\\??\\C:\\App\\x.dll"}, {"c:\\app\\x.dll"});
    EXPECT_EQ(c.removed, 1);
    EXPECT_EQ(c.remaining, (Names{u"\\??\\C:\\a", u"\\??\\C:\\b"}));
    EXPECT_TRUE(c.recycled.empty());
}

TEST(PendingRenames, NothingConcerningTheSetChangesNothingAndLogsNothing)
{
    const Names entries = {u"\\??\\C:\\a", u"\\??\\C:\\b", u"\\??\\C:\\c", u""};
    const Cleaned c = Clean(entries, {"c:\\app\\x.dll", "c:\\a"});   // a source is no target
    EXPECT_EQ(c.removed, 0);
    EXPECT_EQ(c.remaining, entries);
    EXPECT_EQ(c.log, "");
}

TEST(PendingRenames, WithoutALogTheSameEntriesGo)
{
    const Cleaned c = Clean({u"\\??\\C:\\t.tmp", u"\\??\\C:\\App\\A.dll", u"", u""}, {"c:\\app\\a.dll"}, nullptr);
    EXPECT_EQ(c.removed, 2);
    EXPECT_TRUE(c.remaining.empty());
    EXPECT_EQ(c.recycled, Names{u"C:\\t.tmp"});
    EXPECT_EQ(c.log, "");
}
