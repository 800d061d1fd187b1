// The "FileVersion" text of a Windows version resource, read from its bytes (portable: the
// installer uses it on the block GetFileVersionInfoW returns, the packer and the tests on files).
//
// A version resource is a tree of nodes, each aligned to 4 bytes from the start of the block:
//
//   +0  uint16 length        bytes of the node with its children
//   +2  uint16 value length  text nodes: characters (some writers: bytes); binary nodes: bytes
//   +4  uint16 type          1 text, 0 binary
//   +6  key                  UTF-16LE, zero-terminated; then padding to 4
//       value                then padding to 4
//       children             nodes, to the end of the node
//
//   "VS_VERSION_INFO" (value: the fixed file information)
//     "StringFileInfo"
//       "040904b0" (one table per language and code page)
//         "FileVersion" = "1, 2, 3, 4"   ...
//     "VarFileInfo" ...
//
// In a PE file the block is the data of the first resource of type 16 (RT_VERSION), found through
// the resource directory (data directory 2) and the section table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/string.h"

// The "FileVersion" value of the first string table that has one, as 8-bit text: commas turned
// into dots, surrounding blanks removed, characters outside ASCII dropped (versions are digits,
// dots and letters). False when the block holds none or is malformed.
bool FileVersionFromVersionInfo(const uint8_t *block, size_t length, String &version);

// The same from the bytes of a whole PE file (an executable or a DLL). False when the file is not
// a PE image, has no version resource or the resource holds no "FileVersion".
bool FileVersionFromPeImage(const uint8_t *file, size_t length, String &version);

// What the comparison uses of a raw "FileVersion" text: commas to dots, blanks trimmed.
String NormalizeFileVersion(const String &text);
