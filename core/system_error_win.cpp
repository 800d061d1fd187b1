#include "core/system_error.h"
#include "core/wide_win.h"

#include <windows.h>

#include <cwchar>

String SystemErrorText(uint32_t error)
{
    wchar_t *buffer = nullptr;
    const DWORD units = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0,
                                       nullptr);
    String text;
    if (units > 0 && buffer) {
        DWORD n = units;
        while (n > 0 && (buffer[n - 1] == L'\r' || buffer[n - 1] == L'\n' || buffer[n - 1] == L' '))
            --n;
        text.AssignWide(FromWide(buffer), static_cast<int32_t>(n));
    }
    if (buffer)
        LocalFree(buffer);
    if (text.Empty()) {
        wchar_t fallback[32];
        std::swprintf(fallback, 32, L"Error %lu", static_cast<unsigned long>(error));
        text.AssignWide(FromWide(fallback));
    }
    return text;
}
