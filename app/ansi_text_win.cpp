#include "app/ansi_text_win.h"

#include <windows.h>

String WideToAnsi(const String &wide)
{
    String out;
    if (wide.Empty())
        return out;
    const wchar_t *text = reinterpret_cast<const wchar_t *>(wide.Wide());
    const int units = wide.WideLength();
    // A system whose ANSI code page is UTF-8 (the Windows 10 option) refuses a default character.
    const char *unmapped = GetACP() == CP_UTF8 ? nullptr : "?";
    const int size = WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, unmapped, nullptr);
    if (size <= 0)
        return out;
    out.Resize(size);
    if (WideCharToMultiByte(CP_ACP, 0, text, units, out.MutableBytes(), size, unmapped, nullptr) != size)
        out.Clear();
    return out;
}

String NarrowToWide(const String &text, unsigned codePage)
{
    String out;
    if (text.Empty())
        return out;
    const int size = MultiByteToWideChar(codePage, 0, text.Bytes(), text.Length(), nullptr, 0);
    if (size <= 0)
        return out;
    out.Resize(size * 2);
    if (MultiByteToWideChar(codePage, 0, text.Bytes(), text.Length(),
                            reinterpret_cast<wchar_t *>(out.MutableWide()), size) != size)
        out.Clear();
    return out;
}
