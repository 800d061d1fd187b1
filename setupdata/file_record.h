// A file record of the file data (one record of the record stream, after its int32 length): the
// record header (fields 1 to 11), then the content and its checksum.
//
//   field                    form                                  present
//   1  name                  8-bit text + zero, not empty (70)     always
//   2  file type             int32, 0 .. 12                        always
//   3  flags                 int32, masks below                    always
//   4  attributes            int32, -1 for none                    always
//   5  time stamp            24 bytes, DateTime                    always
//   6  version or name       UTF-8 text + zero                     always
//   7  shortcut icon         8-bit text + zero                     flags has 0x1 or 0x2
//   8  arguments             code page 1252 text + zero            always
//   9  destination           UTF-16LE text + zero unit             always
//   10 working folder        8-bit text + zero                     always
//   11 MSI UI level          int32                                 file type 11
//      content               n bytes, n from the header's size list, 0 .. 0x40000000 (71, 72)
//      content checksum      uint32, SetupChecksum of the content (100)
#pragma once

#include <cstdint>

#include "core/string.h"
#include "setupdata/container.h"
#include "core/date_time.h"
#include "setupdata/setup_cursor.h"

// Flags of a file record.
constexpr int32_t kFileFlagDesktopShortcut = 0x1;
constexpr int32_t kFileFlagStartMenuShortcut = 0x2;
constexpr int32_t kFileFlagShortcuts = kFileFlagDesktopShortcut | kFileFlagStartMenuShortcut;
constexpr int32_t kFileReplacementMask = 0x1C;
constexpr int32_t kFileFlagPermanent = 0x20;
constexpr int32_t kFileFlagUninstallFolder = 0x40;
constexpr int32_t kFileFlagMsiUninstallList = 0x80;

// File types (the install steps give each its destination and treatment).
constexpr int32_t kFileTypeProgram = 0;
constexpr int32_t kFileTypeShared = 1;
constexpr int32_t kFileTypeFont = 4;
constexpr int32_t kFileTypeStartup = 5;
constexpr int32_t kFileTypeSystem = 6;
constexpr int32_t kFileTypeCom = 7;
constexpr int32_t kFileTypeTypeLibrary = 8;
constexpr int32_t kFileTypeVersioned = 9;
constexpr int32_t kFileTypeDriver = 10;
constexpr int32_t kFileTypeMsiPackage = 11;
constexpr int32_t kFileTypeControlPanel = 12;

constexpr int32_t kNoAttributes = -1;

// Corruption codes of a file record.
constexpr int kCorruptionFileNameEmpty = 70;
constexpr int kCorruptionContentSizeNegative = 71;
constexpr int kCorruptionContentSizeTooLarge = 72;
constexpr int kCorruptionContentChecksum = 100;

// The record header: fields 1 to 11.
struct FileRecord {
    String name;                  // 8-bit path text, may hold subfolders
    int32_t type = kFileTypeProgram;
    int32_t flags = 0;
    int32_t attributes = kNoAttributes;
    DateTime time = {};
    String version;               // UTF-8: version, font or applet display name, shortcut name
    String shortcutIcon;          // only with kFileFlagShortcuts
    String arguments;             // code page 1252
    String destination;           // wide; empty for the type's default destination
    String workingFolder;         // for a control-panel applet its class identifier
    int32_t msiUiLevel = 0;       // only for kFileTypeMsiPackage
};

// Reads the record header, fields 1 to 11 (code 70 for an empty name).
void ReadFileRecordHeader(SetupCursor &record, FileRecord &file);

// Reads the content of `size` bytes (the entry of the header's size list) and its checksum, and
// returns the content in place (codes 71, 72, 100).
const uint8_t *ReadFileContent(SetupCursor &record, int32_t size);

// The record header as it is stored.
String WriteFileRecordHeader(const FileRecord &file);

// The packer's side: one whole record (record header, content, checksum) into the record stream.
void WriteFileRecord(FileDataWriter &writer, const FileRecord &file, const void *content,
                     int32_t size);

// The same in steps, for content that arrives in pieces: BeginFileRecord writes the record length
// and the record header, the `size` content bytes follow through writer.Write, and EndFileRecord
// writes their checksum (SetupChecksum of the whole content).
void BeginFileRecord(FileDataWriter &writer, const FileRecord &file, int32_t size);
void EndFileRecord(FileDataWriter &writer, uint32_t contentChecksum);
