#include "core/path_text.h"

#include "core/codepage.h"

namespace {

bool IsPlainAscii(const char16_t *text, int32_t units)
{
    for (int32_t i = 0; i < units; ++i)
        if (text[i] >= 0x80)
            return false;
    return true;
}

// True when `bytes` in `codePage` reads back as exactly the given wide text.
bool RoundTrips(const String &bytes, int codePage, const char16_t *text, int32_t units)
{
    String back;
    return CodePageToWide(bytes, codePage, back) && back == String(text, units);
}

} // namespace

String PathTextFromWide(const char16_t *text, int32_t units, int codePage)
{
    String result;
    if (!text || units <= 0)
        return result;
    const bool marked = text[0] == static_cast<char16_t>(kPathTextUtf8Marker);
    if (!marked && IsPlainAscii(text, units)) {
        result.Reserve(units);
        for (int32_t i = 0; i < units; ++i)
            result.AppendByte(static_cast<char>(text[i]));
        return result;
    }
    if (!marked && codePage != kPathTextNoCodePage &&
        CodePageFromWide(text, units, codePage, "?", result) && RoundTrips(result, codePage, text, units))
        return result;
    String utf8;
    CodePageFromWide(text, units, kCodePageUtf8, nullptr, utf8);
    result.Assign(&kPathTextUtf8Marker, 1);
    result.Append(utf8);
    return result;
}

String PathTextFromWide(const String &wide, int codePage)
{
    return PathTextFromWide(wide.Wide(), wide.WideLength(), codePage);
}

String PathTextToWide(const String &pathText, int codePage)
{
    String wide;
    if (pathText.Length() > 0 && pathText.Bytes()[0] == kPathTextUtf8Marker)
        CodePageToWide(pathText.Bytes() + 1, pathText.Length() - 1, kCodePageUtf8, wide);
    else
        CodePageToWide(pathText, codePage, wide);
    return wide;
}

String PathTextFileName(const String &pathText)
{
    const char *text = pathText.Bytes();
    int32_t start = pathText.Length();
    while (start > 0 && text[start - 1] != '\\' && text[start - 1] != '/')
        --start;
    String name;
    if (start == pathText.Length())
        return name;
    if (start > 0 && text[0] == kPathTextUtf8Marker)
        name.Assign(&kPathTextUtf8Marker, 1);
    name.Append(text + start, pathText.Length() - start);
    return name;
}
