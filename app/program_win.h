// The program itself: its instance handle and icons (kept for the whole run, for the windows of the
// wizard) and the path of its own file.
#pragma once

#include <windows.h>

#include "core/string.h"

struct ProgramResources {
    HINSTANCE instance = nullptr;
    HICON smallIcon = nullptr; // SM_CXSMICON x SM_CYSMICON
    HICON largeIcon = nullptr; // SM_CXICON x SM_CYICON
};

extern ProgramResources g_program;

// Keeps `instance` and loads the program icon (resource 1) at both sizes. An icon that cannot be
// loaded stays null: the windows then show the system's default icon.
void LoadProgramResources(HINSTANCE instance);

// The full path of the program's file (wide). Empty when the system cannot tell; GetLastError
// then says why.
String ProgramPath();

// The program's file name without its folder (wide).
String ProgramFileName();
