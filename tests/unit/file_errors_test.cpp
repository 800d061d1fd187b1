#include <gtest/gtest.h>

#include <cstring>

#include "core/file_errors.h"

namespace {

bool g_driveExists = true;
bool g_readOnly = false;
bool DriveExists(char16_t) { return g_driveExists; }
bool IsReadOnly(const char16_t *) { return g_readOnly; }

const FileErrorProbe kProbe = {DriveExists, IsReadOnly};

struct MappingCase {
    uint32_t system;
    const char16_t *path;
    bool writing;
    bool driveExists;
    bool readOnly;
    int code;
};

} // namespace

TEST(FileErrors, TextsOfTheCodes)
{
    EXPECT_STREQ(FileErrorText(0), "Success.");
    EXPECT_STREQ(FileErrorText(5), "The file is locked by another application.");
    EXPECT_STREQ(FileErrorText(13), "The file's Read-Only attribute is set.");
    EXPECT_STREQ(FileErrorText(16), "The file is too large to load into memory.");
    EXPECT_STREQ(FileErrorText(20), "The device is not ready (usually because no disk is inserted).");
    EXPECT_STREQ(FileErrorText(22), "Erasure verification failed.");
    for (int outside : {-1, 23, 1000})
        EXPECT_STREQ(FileErrorText(outside), "An unknown error occurred.");
    for (int code = 0; code <= 22; ++code)
        EXPECT_GT(std::strlen(FileErrorText(code)), 0u) << code;
}

TEST(FileErrors, SystemErrorsMapToCodes)
{
    const MappingCase cases[] = {
        {0, u"C:\\a", false, true, false, FileSuccess},
        {2, u"C:\\a", false, true, false, FileNotFound},
        {3, u"C:\\x\\a", false, true, false, FileFolderMissing},
        {3, u"Q:\\x\\a", false, false, false, FileDriveMissing},
        {3, u"q:\\x\\a", false, false, false, FileDriveMissing},
        {3, u"\\\\srv\\x\\a", false, false, false, FileFolderMissing},   // no drive letter to ask about
        {3, u"x\\a", false, false, false, FileFolderMissing},
        {15, u"Q:\\a", false, true, false, FileDriveMissing},
        {4, u"C:\\a", false, true, false, FileTooManyOpen},
        {5, u"C:\\a", false, true, false, FileAccessDenied},
        {5, u"C:\\a", false, true, true, FileAccessDenied},     // read-only does not matter for reading
        {5, u"C:\\a", true, true, false, FileAccessDenied},
        {5, u"C:\\a", true, true, true, FileReadOnly},
        {21, u"A:\\a", false, true, false, FileDeviceNotReady},
        {32, u"C:\\a", false, true, false, FileLocked},
        {51, u"\\\\s\\a", false, true, false, FileBadNetworkPath},
        {53, u"\\\\s\\a", false, true, false, FileBadNetworkPath},
        {64, u"\\\\s\\a", false, true, false, FileBadNetworkPath},
        {65, u"\\\\s\\a", false, true, false, FileBadNetworkPath},
        {67, u"\\\\s\\a", false, true, false, FileBadNetworkPath},
        {1203, u"\\\\s\\a", false, true, false, FileBadNetworkPath},
        {80, u"C:\\a", false, true, false, FileAlreadyExists},
        {87, u"C:\\a", false, true, false, FileInvalidParameter},
        {123, u"C:\\a?", false, true, false, FileInvalidName},
        {1224, u"C:\\a", false, true, false, FileUnknownError},
        {2, u"", false, true, false, FileInvalidName},
        {0, u"", false, true, false, FileInvalidName},
    };
    for (const MappingCase &c : cases) {
        g_driveExists = c.driveExists;
        g_readOnly = c.readOnly;
        EXPECT_EQ(FileErrorFromSystem(c.system, c.path, c.writing, kProbe), c.code)
            << "error " << c.system << " writing " << c.writing;
    }
    EXPECT_EQ(FileErrorFromSystem(2, nullptr, false, kProbe), FileInvalidName);
}

TEST(FileErrors, WithoutProbesThePlainCodesApply)
{
    const FileErrorProbe none = {nullptr, nullptr};
    EXPECT_EQ(FileErrorFromSystem(3, u"Q:\\a", true, none), FileFolderMissing);
    EXPECT_EQ(FileErrorFromSystem(5, u"Q:\\a", true, none), FileAccessDenied);
}
