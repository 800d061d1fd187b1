#include "app/error_box_win.h"

#include <windows.h>

#include "app/run_mode.h"
#include "setupdata/language.h"

void ShowErrorBox(const String &wideText)
{
    if (g_runMode.silent)
        return;
    String caption = LanguageString(kErrorCaptionRow);
    if (caption.Empty())
        caption = String(u"Error");
    // Nothing to do when the box cannot be shown: the caller ends or returns either way.
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t *>(wideText.Wide()),
                reinterpret_cast<const wchar_t *>(caption.Wide()), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
