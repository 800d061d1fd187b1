// The dialog "ExceptionDlg": shows the crash report, copies it to the clipboard, and asks whether
// to send it, with an optional e-mail address and comments.
#pragma once

#include <windows.h>

#include "core/string.h"

struct ExceptionDialogAnswer {
    bool inform = false;      // "Inform Us" was chosen
    String email;             // 8-bit (ANSI code page), as typed
    String comments;
};

// `report` is 8-bit text (ANSI code page); `makerName` fills the apology; "Inform Us" is enabled
// only when `canSend`. Returns what the user chose; when the dialog cannot be shown, "Exit".
ExceptionDialogAnswer ShowExceptionDialog(HINSTANCE instance, HWND owner, const String &report, const char *makerName,
                                          bool canSend);

// Puts wide text on the clipboard; false when the clipboard cannot be had.
bool CopyTextToClipboard(HWND owner, const String &wide);
