#include "app/system_error_win.h"

#include <windows.h>

String SystemErrorText(unsigned long error)
{
    wchar_t *buffer = nullptr;
    const DWORD units = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    String text;
    if (units == 0 || !buffer)
        return text;
    DWORD length = units;
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L' '))
        --length;
    text.AssignWide(reinterpret_cast<const char16_t *>(buffer), static_cast<int32_t>(length));
    LocalFree(buffer);
    return text;
}
