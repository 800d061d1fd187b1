#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>

#include "corruption_capture.h"
#include "setupdata/checksum.h"
#include "setupdata/file_record.h"

namespace {

String Int(int32_t v)
{
    String s;
    AppendInt32(s, v);
    return s;
}

String Text(const char *text) { return String(text).AppendByte(0); }

String Concat(std::initializer_list<String> parts)
{
    String s;
    for (const String &part : parts)
        s.Append(part);
    return s;
}

FileRecord Sample(int32_t type, int32_t flags)
{
    FileRecord file;
    file.name = "a.txt";
    file.type = type;
    file.flags = flags;
    file.attributes = -1;
    file.time = DateTime{2023, 12, 31, 8, 9, 10};
    file.version = "1.0";
    file.shortcutIcon = "i.ico";
    file.arguments = "-x";
    file.destination = String(u"C:\\D");
    file.workingFolder = "w";
    file.msiUiLevel = 3;
    return file;
}

TEST(FileRecord, StoredLayoutHasTheConditionalFieldsOnlyWhenAsked)
{
    const String date = Concat({Int(2023), Int(12), Int(31), Int(8), Int(9), Int(10)});
    const String wide("C\0:\0\\\0D\0\0\0", 10);
    struct Case {
        const char *name;
        FileRecord file;
        String stored;
    };
    const Case cases[] = {
        {"shortcut flags carry the icon", Sample(0, kFileFlagStartMenuShortcut),
         Concat({Text("a.txt"), Int(0), Int(2), Int(-1), date, Text("1.0"), Text("i.ico"), Text("-x"),
                 wide, Text("w")})},
        {"no shortcut flags, no icon", Sample(9, kFileFlagPermanent),
         Concat({Text("a.txt"), Int(9), Int(0x20), Int(-1), date, Text("1.0"), Text("-x"), wide,
                 Text("w")})},
        {"an MSI package carries its UI level", Sample(kFileTypeMsiPackage, 0),
         Concat({Text("a.txt"), Int(11), Int(0), Int(-1), date, Text("1.0"), Text("-x"), wide,
                 Text("w"), Int(3)})},
    };
    for (const Case &c : cases) {
        const String stored = WriteFileRecordHeader(c.file);
        EXPECT_EQ(stored, c.stored) << c.name;

        FileRecord read;
        SetupCursor cursor(stored.Data(), size_t(stored.Length()));
        EXPECT_EQ(CorruptionCodeOf([&] { ReadFileRecordHeader(cursor, read); }), 0) << c.name;
        EXPECT_EQ(cursor.Remaining(), 0u) << c.name;
        EXPECT_EQ(read.name, c.file.name) << c.name;
        EXPECT_EQ(read.type, c.file.type) << c.name;
        EXPECT_EQ(read.flags, c.file.flags) << c.name;
        EXPECT_EQ(read.time.second, 10) << c.name;
        EXPECT_EQ(read.shortcutIcon, (c.file.flags & kFileFlagShortcuts) ? c.file.shortcutIcon : String())
            << c.name;
        EXPECT_EQ(read.destination, c.file.destination) << c.name;
        EXPECT_EQ(read.workingFolder, c.file.workingFolder) << c.name;
        EXPECT_EQ(read.msiUiLevel, c.file.type == kFileTypeMsiPackage ? 3 : 0) << c.name;
    }
}

// The record header built byte by byte from the layout, every field with a value no other field
// holds, and read back field by field: a reader that takes two fields in the wrong order fails.
TEST(FileRecord, HandBuiltRecordHeaderIsReadFieldByField)
{
    const char bytes[] =
        "dir\\app.exe\0"                               // 1 name
        "\x0B\0\0\0"                                    // 2 type 11 (MSI package: field 11 follows)
        "\x41\0\0\0"                                    // 3 flags 0x41: desktop shortcut, uninstall folder
        "\x27\0\0\0"                                    // 4 attributes
        "\xE8\x07\0\0" "\x02\0\0\0" "\x1D\0\0\0"      // 5 time stamp: 2024-02-29
        "\x17\0\0\0" "\x3B\0\0\0" "\x3A\0\0\0"        //   23:59:58
        "4.5.6\xC3\xA9\0"                               // 6 version, UTF-8
        "icon.ico\0"                                    // 7 shortcut icon (a shortcut flag is set)
        "/q \xE9\0"                                      // 8 arguments, code page 1252
        "D\0:\0\\\0\x16\x04\0\0"                        // 9 destination, UTF-16LE: D:\\ and U+0416
        "work\0"                                        // 10 working folder
        "\x05\0\0\0";                                   // 11 MSI UI level
    const String stored(bytes, int32_t(sizeof bytes - 1));
    SetupCursor cursor(stored.Data(), size_t(stored.Length()));
    FileRecord read;
    ASSERT_EQ(CorruptionCodeOf([&] { ReadFileRecordHeader(cursor, read); }), 0);
    EXPECT_EQ(cursor.Remaining(), 0u);
    EXPECT_EQ(read.name, String("dir\\app.exe"));
    EXPECT_EQ(read.type, kFileTypeMsiPackage);
    EXPECT_EQ(read.flags, kFileFlagDesktopShortcut | kFileFlagUninstallFolder);
    EXPECT_EQ(read.attributes, 0x27);
    EXPECT_TRUE(read.time == (DateTime{2024, 2, 29, 23, 59, 58}));
    EXPECT_EQ(read.version, String("4.5.6\xC3\xA9"));
    EXPECT_EQ(read.shortcutIcon, String("icon.ico"));
    EXPECT_EQ(read.arguments, String("/q \xE9"));
    EXPECT_EQ(read.destination, String(u"D:\\\u0416"));
    EXPECT_EQ(read.workingFolder, String("work"));
    EXPECT_EQ(read.msiUiLevel, 5);
    EXPECT_EQ(WriteFileRecordHeader(read), stored) << "the writer stores the same bytes";
}

// A record body: the record header of `file`, `content`, and its checksum plus `checksumDelta`.
String Body(const FileRecord &file, const String &content, uint32_t checksumDelta = 0)
{
    String body = WriteFileRecordHeader(file);
    body.Append(content);
    AppendInt32(body, int32_t(SetupChecksum(content.Bytes(), content.Length()) + checksumDelta));
    return body;
}

TEST(FileRecord, FaultsOfARecordReportTheirCodes)
{
    const FileRecord good = Sample(0, 0);
    FileRecord unnamed = good;
    unnamed.name.Clear();
    const String content("payload");
    const String whole = Body(good, content);
    struct Case {
        const char *name;
        String body;
        int32_t size;
        int code;
    };
    const Case cases[] = {
        {"well formed", whole, content.Length(), 0},
        {"empty name", Body(unnamed, content), content.Length(), 70},
        {"negative size", whole, -1, 71},
        {"size above 0x40000000", whole, 0x40000001, 72},
        {"content checksum differs", Body(good, content, 1), content.Length(), 100},
        {"content beyond the record", whole, content.Length() + 5, 91},
        {"record header cut short", String(whole.Bytes(), 12), content.Length(), 91},
    };
    for (const Case &c : cases) {
        SetupCursor record(c.body.Data(), size_t(c.body.Length()));
        const uint8_t *read = nullptr;
        EXPECT_EQ(CorruptionCodeOf([&] {
                      FileRecord file;
                      ReadFileRecordHeader(record, file);
                      read = ReadFileContent(record, c.size);
                  }),
                  c.code)
            << c.name;
        if (c.code == 0) {
            EXPECT_EQ(String(reinterpret_cast<const char *>(read), c.size), content);
        }
    }
}

} // namespace
