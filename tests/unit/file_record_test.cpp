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
        const String stored = WriteFileRecordDescription(c.file);
        EXPECT_EQ(stored, c.stored) << c.name;

        FileRecord read;
        SetupCursor cursor(stored.Data(), size_t(stored.Length()));
        EXPECT_EQ(CorruptionCodeOf([&] { ReadFileRecordDescription(cursor, read); }), 0) << c.name;
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

// A record body: the description of `file`, `content`, and its checksum plus `checksumDelta`.
String Body(const FileRecord &file, const String &content, uint32_t checksumDelta = 0)
{
    String body = WriteFileRecordDescription(file);
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
        {"description cut short", String(whole.Bytes(), 12), content.Length(), 91},
    };
    for (const Case &c : cases) {
        SetupCursor record(c.body.Data(), size_t(c.body.Length()));
        const uint8_t *read = nullptr;
        EXPECT_EQ(CorruptionCodeOf([&] {
                      FileRecord file;
                      ReadFileRecordDescription(record, file);
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
