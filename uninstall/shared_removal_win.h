// The product's fonts and its shared files: a shared file is removed only with its last reference
// in the system's SharedDLLs counts.
#pragma once

#include "uninstall/uninstall_context.h"

// "ProductFonts": each font (asked first with ProductFlags 0x10) loses its registry value, its
// resource and its file in the Fonts folder; the value "ProductFonts" is then deleted.
void RemoveProductFonts(UninstallContext &context);

// "SharedFiles": each count drops by one; at the last reference a COM server or type library is
// unregistered and the file deleted (asked first with ProductFlags 0x20000). The value
// "SharedFiles" is then deleted.
void ReleaseSharedFiles(UninstallContext &context, const String &sharedFiles);
