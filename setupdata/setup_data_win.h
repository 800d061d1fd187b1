// The setup data of the running installer: its `.setup` section, found through the program's own
// file and read from the program's loaded image.
//
//   program file                          loaded image (module base + virtual address)
//   +---------------------------+         +--------------------------------------------+
//   | headers, ordinary sections|  ---->  | header, script block: read in place        |
//   | .setup raw data           |         | file data block: read in place, or from    |
//   | (trailing part)           |         |   the file when the settings ask for it     |
//   +---------------------------+         +--------------------------------------------+
//
// The section table and the program image (image checksum, uninstaller image) are read from the
// file; the header and the script come from the image the loader mapped, bounded by the section's
// mapped length, so no copy of the section is made. The file stays open for the whole run.
#pragma once

#include <cstdint>

#include "core/file_win.h"
#include "core/string.h"
#include "setupdata/container.h"
#include "setupdata/pe_image.h"

// What the run keeps of its setup data, from OpenSetupData to the end of the process.
struct SetupData {
    File *file = nullptr;             // the program's own file (owned by the install mode)
    int64_t fileSize = 0;             // taken by CheckOwnImage
    SetupSectionLocation section;     // the `.setup` entry of the file's section table
    SetupContainer container;         // header with the file size list, cipher, section bytes
    String record;                    // the decoded settings record
    // The uninstaller: with ProductFlags2 SeparateUninstaller the program without its section
    // (uninstallerImage); otherwise the program's file is copied as it is (uninstallerImage empty).
    // uninstallerSize is the length of what gets written either way.
    String uninstallerImage;
    int64_t uninstallerSize = 0;
    FileData fileData;                // the file data block, once OpenFileData has run
};

extern SetupData g_setupData;

// The ReadAtOffset reader of LocateSetupSection over a File (`context`): reads exactly `length`
// bytes at `offset` and puts the file position back where it was, whether or not the read worked.
bool ReadFileAtOffset(void *context, uint32_t offset, void *buffer, uint32_t length);

// Locates the `.setup` section of `file` (the program's own file, open for reading), reads and
// checks the header and decodes the script from the loaded image of this process into g_setupData.
// Leaves the file positioned at the section's raw data (code 10 when it cannot be). False when the
// file has no `.setup` section: information mode.
bool OpenSetupData(File &file);

// The same over an image mapped at `image` (test seam: a test maps an installer file of its own;
// the program passes its module base).
bool OpenSetupDataInImage(File &file, const uint8_t *image);

// The settings reader's script checksum check (code 25 after its sixth item): whether the decoded
// record is the one the header names.
bool OwnScriptChecksumMatches();

// Whether the image checksum is compared (the settings' CheckImageChecksum bit).
enum class ImageChecksumTest { Skip, Compare };

// After the settings are read: reads the leading part of the program image (code 35), compares its
// checksum with the header when asked (code 40), and prepares the uninstaller: with ProductFlags2
// SeparateUninstaller builds its image from the leading part and the part after the section
// (code 42), otherwise notes that the program's file is copied as it is.
void CheckOwnImageAndPrepareUninstaller(File &file, ImageChecksumTest test);

// Where the file data block is read from (the settings' ReadFileDataFromFile).
enum class FileDataSource { LoadedImage, ProgramFile };

// After the wizard: makes the file data block of the running installer available in
// g_setupData.fileData, from the loaded image or read from the program's file into memory. The
// available size must equal the header's data size (code 46) before any byte is read; a failing
// read ends with the "Error code 2" fatal message; the block checksum follows (code 55). `hooks`
// show the decoding status and keep each status up its minimum time: the progress page gives them;
// without one (no hooks) nothing is shown and nothing waits.
void OpenOwnFileData(FileDataSource source, uint64_t productFlags, const FileDataHooks &hooks = FileDataHooks());
