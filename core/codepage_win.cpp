// Code-page conversion through the system's tables.
#include <windows.h>

#include "core/codepage.h"
#include "core/codepage_system.h"
#include "core/wide_win.h"

namespace {

UINT SystemPage(int codePage) { return codePage == kCodePageAnsi ? CP_ACP : static_cast<UINT>(codePage); }

int MultiByteToWide(UINT page, DWORD flags, const char *bytes, int32_t length, String *out)
{
    int units = MultiByteToWideChar(page, flags, bytes, length, nullptr, 0);
    if (units <= 0 || !out)
        return units;
    out->Resize(units * 2);
    return MultiByteToWideChar(page, flags, bytes, length, AsWide(out->MutableWide()), units);
}

int WideToMultiByte(UINT page, DWORD flags, const char16_t *text, int32_t units, const char *replacement,
                    String *out)
{
    const wchar_t *wide = AsWide(text);
    int size = WideCharToMultiByte(page, flags, wide, units, nullptr, 0, replacement, nullptr);
    if (size <= 0 || !out)
        return size;
    out->Resize(size);
    return WideCharToMultiByte(page, flags, wide, units, out->MutableBytes(), size, replacement, nullptr);
}

} // namespace

bool SystemCodePageToWide(const char *bytes, int32_t length, int codePage, String &wide)
{
    const UINT page = SystemPage(codePage);
    DWORD flags = MB_PRECOMPOSED;
    // UTF-8, UTF-7 and a few others take no flags and say so with ERROR_INVALID_FLAGS.
    if (MultiByteToWide(page, flags, bytes, length, nullptr) <= 0) {
        if (GetLastError() != ERROR_INVALID_FLAGS)
            return false;
        flags = 0;
    }
    String result;
    if (MultiByteToWide(page, flags, bytes, length, &result) <= 0)
        return false;
    wide = static_cast<String &&>(result);
    return true;
}

bool SystemCodePageFromWide(const char16_t *text, int32_t units, int codePage, const char *replacement,
                            bool noBestFit, String &bytes)
{
    const UINT page = SystemPage(codePage);
    DWORD flags = 0;
    const char *defaultChar = nullptr;
    if (page != CP_UTF8 && page != CP_UTF7) {
        flags = WC_COMPOSITECHECK | (noBestFit ? WC_NO_BEST_FIT_CHARS : 0);
        defaultChar = replacement && *replacement ? replacement : nullptr;
    }
    if (flags && WideToMultiByte(page, flags, text, units, defaultChar, nullptr) <= 0) {
        // Pages such as 50220 or 42 take neither flags nor a replacement character; the ANSI code
        // page is UTF-8 on systems set up that way.
        const DWORD error = GetLastError();
        if (error != ERROR_INVALID_FLAGS && error != ERROR_INVALID_PARAMETER)
            return false;
        flags = 0;
        defaultChar = nullptr;
    }
    String result;
    if (WideToMultiByte(page, flags, text, units, defaultChar, &result) <= 0)
        return false;
    bytes = static_cast<String &&>(result);
    return true;
}
