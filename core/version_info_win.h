// The version number of a file's version resource (VS_FIXEDFILEINFO), read through version.dll
// from the system folder.
#pragma once

#include <cstdint>

#include "core/string.h"

// The whole version-information block of a file (`path` is wide); false when it has none or it
// cannot be read.
bool ReadFileVersionBlock(const String &path, String &block);

// `path` is wide. False when the file has no version resource or it cannot be read.
bool ReadFileVersionNumber(const String &path, uint64_t &version);
