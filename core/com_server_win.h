// Registering and unregistering a COM server file: regsvr32 from the system folder, hidden and
// waited for, and the server's own export when regsvr32 cannot do it. Callers run these inside a
// crash guard (core/guard_win.h): a server's code runs in this process in the fall-back.
#pragma once

#include "core/string.h"

// regsvr32's exit code for "/s" (or "/s /u" when `unregister`) and the quoted path, or -1 when it
// could not be started.
long RunRegsvr32(const String &path, bool unregister);

// Loads the file as a library and calls its export `function` ("DllRegisterServer" or
// "DllUnregisterServer"). False when the file cannot be loaded or has no such export; the export's
// own answer is not judged.
bool CallServerExport(const String &path, const char *function);
