// Files packed into a file data block by the packer's writers and read back as the install steps
// read them: the fixtures of the container tests (host and Windows side).
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "setupdata/container.h"
#include "setupdata/file_record.h"
#include "setupdata/language.h"

struct Payload {
    FileRecord description;
    String content;
};

inline void WritePayloads(FileDataWriter &writer, const std::vector<Payload> &files)
{
    for (const Payload &file : files)
        WriteFileRecord(writer, file.description, file.content.Bytes(), file.content.Length());
}

// Takes one record per file from `data` and compares it with the file packed, then closes the
// block (codes 80 and 83 when anything is left over).
inline void ExpectPayloadsReadBack(FileData &data, const std::vector<int32_t> &fileSizes,
                                   const std::vector<Payload> &files)
{
    ASSERT_EQ(fileSizes.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        SetupCursor record = NextFileRecord(data);
        FileRecord read;
        ReadFileRecordHeader(record, read);
        const uint8_t *content = ReadFileContent(record, fileSizes[i]);
        EXPECT_EQ(read.name, files[i].description.name);
        EXPECT_EQ(read.destination, files[i].description.destination);
        EXPECT_EQ(String(reinterpret_cast<const char *>(content), fileSizes[i]), files[i].content);
        EXPECT_EQ(record.Remaining(), 0u);
    }
    CloseFileData(data);
}

// File data hooks that count their calls: the decoding status shown, the status time waited.
inline int g_statusShown = 0;
inline int g_waits = 0;

inline FileDataHooks CountingHooks()
{
    g_statusShown = g_waits = 0;
    FileDataHooks hooks;
    hooks.showStatus = [](int row) {
        EXPECT_EQ(row, kDecodingStatusRow);
        ++g_statusShown;
    };
    hooks.waitStatusTime = [] { ++g_waits; };
    return hooks;
}
