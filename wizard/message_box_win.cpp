#include "wizard/message_box_win.h"

#include <windows.h>

#include "core/wide_win.h"

void ShowErrorBox(const String &wideText, bool silent, const String &caption)
{
    if (silent)
        return;
    const String shown = caption.Empty() ? String(u"Error") : caption;
    // Nothing to do when the box cannot be shown: the caller ends or returns either way.
    MessageBoxW(nullptr, AsWide(wideText), AsWide(shown), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
