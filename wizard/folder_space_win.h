// Disk space of the installation folder's drive: what the installation needs there and what the
// user may still use.
#pragma once

#include <cstdint>

#include "core/string.h"

// The drive root of a folder that begins with a drive letter ("C:\"), else empty.
String DriveRootOf(const String &folder);
// The bytes the installation needs on the drive of `folder` (files rounded to its clusters).
int64_t RequiredSpaceOn(const String &folder);
// The bytes free for the user on the drive of `folder`; false when they cannot be had.
bool FreeSpaceOn(const String &folder, int64_t &bytes);
