#include "setupdata/file_record.h"

#include "setupdata/checksum.h"
#include "setupdata/corruption.h"

namespace {

bool HasShortcutIcon(const FileRecord &file) { return (file.flags & kFileFlagShortcuts) != 0; }
bool HasMsiUiLevel(const FileRecord &file) { return file.type == kFileTypeMsiPackage; }

String ReadText(SetupCursor &record)
{
    int32_t length = 0;
    const char *text = record.ReadString8(&length);
    return String(text, length);
}

} // namespace

void ReadFileRecordHeader(SetupCursor &record, FileRecord &file)
{
    file.name = ReadText(record);
    if (file.name.Empty())
        ReportCorruption(kCorruptionFileNameEmpty);
    file.type = record.ReadInt32();
    file.flags = record.ReadInt32();
    file.attributes = record.ReadInt32();
    file.time = record.ReadDateRecord();
    file.version = ReadText(record);
    file.shortcutIcon = HasShortcutIcon(file) ? ReadText(record) : String();
    file.arguments = ReadText(record);
    file.destination = record.ReadStringW();
    file.workingFolder = ReadText(record);
    file.msiUiLevel = HasMsiUiLevel(file) ? record.ReadInt32() : 0;
}

const uint8_t *ReadFileContent(SetupCursor &record, int32_t size)
{
    if (size < 0)
        ReportCorruption(kCorruptionContentSizeNegative);
    if (size > kMaxFileSize)
        ReportCorruption(kCorruptionContentSizeTooLarge);
    const uint8_t *content = record.Take(size);
    if (record.ReadUInt32() != SetupChecksum(content, size))
        ReportCorruption(kCorruptionContentChecksum);
    return content;
}

String WriteFileRecordHeader(const FileRecord &file)
{
    String out;
    AppendString8(out, file.name);
    AppendInt32(out, file.type);
    AppendInt32(out, file.flags);
    AppendInt32(out, file.attributes);
    AppendDateRecord(out, file.time);
    AppendString8(out, file.version);
    if (HasShortcutIcon(file))
        AppendString8(out, file.shortcutIcon);
    AppendString8(out, file.arguments);
    AppendStringW(out, file.destination);
    AppendString8(out, file.workingFolder);
    if (HasMsiUiLevel(file))
        AppendInt32(out, file.msiUiLevel);
    return out;
}

void BeginFileRecord(FileDataWriter &writer, const FileRecord &file, int32_t size)
{
    const String header = WriteFileRecordHeader(file);
    const int64_t length = int64_t(header.Length()) + size + 4;
    writer.BeginRecord(length > INT32_MAX ? -1 : int32_t(length), size);
    writer.Write(header.Bytes(), header.Length());
}

void EndFileRecord(FileDataWriter &writer, uint32_t contentChecksum)
{
    uint8_t checksum[4];
    StoreInt32(checksum, int32_t(contentChecksum));
    writer.Write(checksum, 4);
}

void WriteFileRecord(FileDataWriter &writer, const FileRecord &file, const void *content,
                     int32_t size)
{
    BeginFileRecord(writer, file, size);
    writer.Write(content, size);
    EndFileRecord(writer, SetupChecksum(content, size));
}
