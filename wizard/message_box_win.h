// The program's message box: centred on the installer window, with the product icons when the
// settings ask for them, buttons named in the active language and fitted to their texts. Nothing is
// shown in silent mode: ShowMessage then returns 1 and AskYesNo counts as yes.
#pragma once

#include <windows.h>

#include "core/string.h"

// The error box of the fatal path and the uninstaller: `wideText` with the error icon and
// `caption` (wide; "Error" when empty), prepared like every other box. Nothing is shown when
// `silent` is set.
void ShowErrorBox(const String &wideText, bool silent, const String &caption);

// Installs the one-shot hook that prepares the next message box the thread opens.
void InstallMessageBoxHook();

// MessageBoxW with `flags` (MB_*); no owner: the current page or the installer window; an empty
// caption: the installer's caption. Returns the button pressed (IDOK, ...).
int ShowMessage(const String &text, const String &caption, unsigned flags, HWND owner = nullptr);
// A yes/no question with the question icon; true for yes.
bool AskYesNo(const String &text, const String &caption);

// The installation (or the uninstallation) was cancelled: unless automatic mode is on, says so in a
// warning box, then ends the run with exit code 1.
[[noreturn]] void AbortInstallation();
