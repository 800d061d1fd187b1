// The shell settings block of the file-step block: hand-built blocks read by the reader, the
// writer's bytes compared with the same hand-built form, and blocks of other kinds carrying none.
#include <gtest/gtest.h>

#include <string>

#include "setupdata/shell_settings.h"
#include "wide_support.h"

namespace {

// One entry as the layout draws it: the key, its zero, a little-endian int32 length, the bytes.
std::string Entry(const std::string &key, const std::string &value, int32_t length = -2)
{
    const uint32_t n = static_cast<uint32_t>(length == -2 ? int32_t(value.size()) : length);
    std::string e = key;
    e.push_back('\0');
    for (int i = 0; i < 4; ++i)
        e.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    return e + value;
}

String Block(const std::string &bytes) { return String(bytes.data(), int32_t(bytes.size())); }

const std::string kIcon("\0\0\1\0\1\0icon", 10);   // bytes with zeros inside

TEST(ShellSettingsBlock, EveryKeyIsReadAndUnknownKeysAreSkipped)
{
    const std::string bytes = Entry("Firewall", "8080;Web;3;\r\ntool.exe;;0;1") + Entry("Future", "ignored") +
                              Entry("RegistryMerge", "REGEDIT4\r\n") +
                              Entry("RootShortcutName", "Caf\xc3\xa9 <product>") +
                              Entry("RootShortcutCommand", "\"%InstallDir%\\a b.exe\" -x") +
                              Entry("DesktopFolderIcon", kIcon) + Entry("Empty", "");
    ShellSettings s;
    ASSERT_TRUE(ReadShellSettings(Block(bytes), s));
    EXPECT_EQ(s.firewallList, String("8080;Web;3;\r\ntool.exe;;0;1"));
    EXPECT_EQ(s.registryMerge, String("REGEDIT4\r\n"));
    EXPECT_EQ(Utf8(s.rootShortcutName), "Caf\xc3\xa9 <product>");
    EXPECT_EQ(Utf8(s.rootShortcutCommand), "\"%InstallDir%\\a b.exe\" -x");
    EXPECT_EQ(s.desktopFolderIcon, Block(kIcon));
}

TEST(ShellSettingsBlock, WriterProducesTheDrawnLayoutAndReadsBack)
{
    ShellSettings s;
    s.registryMerge = String("REGEDIT4");
    s.rootShortcutName = WideFrom("Caf\xc3\xa9");
    s.desktopFolderIcon = Block(kIcon);
    const String written = WriteShellSettings(s);
    EXPECT_EQ(written, Block(Entry("RegistryMerge", "REGEDIT4") + Entry("RootShortcutName", "Caf\xc3\xa9") +
                            Entry("DesktopFolderIcon", kIcon)))
        << "empty fields write no entry, the others in the drawn order";
    ShellSettings back;
    ASSERT_TRUE(ReadShellSettings(written, back));
    EXPECT_EQ(back.registryMerge, s.registryMerge);
    EXPECT_EQ(back.rootShortcutName, s.rootShortcutName);
    EXPECT_EQ(back.desktopFolderIcon, s.desktopFolderIcon);
    EXPECT_TRUE(back.firewallList.Empty());
    EXPECT_TRUE(WriteShellSettings(ShellSettings()).Empty());
}

TEST(ShellSettingsBlock, ALaterEntryReplacesAnEarlierOne)
{
    ShellSettings s;
    ASSERT_TRUE(ReadShellSettings(Block(Entry("Firewall", "1;a;1;") + Entry("Firewall", "2;b;2;")), s));
    EXPECT_EQ(s.firewallList, String("2;b;2;"));
}

TEST(ShellSettingsBlock, ABlockOfAnotherKindCarriesNone)
{
    const std::string good = Entry("Firewall", "8080;Web;1;");
    const struct {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"empty key", std::string("\0\1files", 7)},
        {"key without its zero", good + "Firewall"},
        {"length missing", good + std::string("Firewall\0\4\0", 11)},
        {"length past the end", good + Entry("RegistryMerge", "REG", 4)},
        {"negative length", good + Entry("RegistryMerge", "", -1)},
        {"plain text", std::string("just some bytes of another tool")},
    };
    for (const auto &c : cases) {
        ShellSettings s;
        s.firewallList = String("stale");
        EXPECT_FALSE(ReadShellSettings(Block(c.bytes), s)) << c.what;
        EXPECT_TRUE(s.firewallList.Empty()) << c.what << ": nothing of a malformed block is used";
        EXPECT_TRUE(s.registryMerge.Empty()) << c.what;
    }
    ShellSettings none;
    EXPECT_TRUE(ReadShellSettings(String(), none)) << "an empty block is a valid block without settings";
}

} // namespace
