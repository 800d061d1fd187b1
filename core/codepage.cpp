#include "core/codepage.h"

#include "core/codepage_system.h"

namespace {

// UTF-16 in either byte order, copied as bytes; an odd last byte is not part of any unit.
void CopyUtf16(const char *bytes, int32_t length, bool swap, String &out)
{
    length &= ~1;
    out.Assign(bytes, length);
    if (!swap)
        return;
    char *p = out.MutableBytes();
    for (int32_t i = 0; i + 1 < length; i += 2) {
        const char first = p[i];
        p[i] = p[i + 1];
        p[i + 1] = first;
    }
}

bool Finish(bool converted, String &out)
{
    if (!converted)
        out.Clear();
    return converted;
}

} // namespace

bool CodePageToWide(const char *bytes, int32_t length, int codePage, String &wide)
{
    if (!bytes || length <= 0) {
        wide.Clear();
        return true;
    }
    if (codePage == kCodePageUtf16LE || codePage == kCodePageUtf16BE) {
        CopyUtf16(bytes, length, codePage == kCodePageUtf16BE, wide);
        return true;
    }
    // 1252 agrees with US-ASCII on the 7-bit range and gives the bytes above it a meaning instead
    // of a failure.
    if (codePage == kCodePageUsAscii)
        codePage = kCodePageWindows1252;
    return Finish(SystemCodePageToWide(bytes, length, codePage, wide), wide);
}

bool CodePageToWide(const String &text, int codePage, String &wide)
{
    if (&text == &wide) {
        String copy(text);
        return CodePageToWide(copy.Bytes(), copy.Length(), codePage, wide);
    }
    return CodePageToWide(text.Bytes(), text.Length(), codePage, wide);
}

bool CodePageFromWide(const char16_t *text, int32_t units, int codePage, const char *replacement,
                      String &bytes, bool noBestFit)
{
    if (!text || units <= 0) {
        bytes.Clear();
        return true;
    }
    if (codePage == kCodePageUtf16LE || codePage == kCodePageUtf16BE) {
        CopyUtf16(reinterpret_cast<const char *>(text), units * 2, codePage == kCodePageUtf16BE, bytes);
        return true;
    }
    return Finish(SystemCodePageFromWide(text, units, codePage, replacement, noBestFit, bytes), bytes);
}

bool CodePageFromWide(const String &wide, int codePage, const char *replacement, String &bytes,
                      bool noBestFit)
{
    if (&wide == &bytes) {
        String copy(wide);
        return CodePageFromWide(copy.Wide(), copy.WideLength(), codePage, replacement, bytes, noBestFit);
    }
    return CodePageFromWide(wide.Wide(), wide.WideLength(), codePage, replacement, bytes, noBestFit);
}

String WideFromCodePage(const String &text, int codePage)
{
    String wide;
    CodePageToWide(text, codePage, wide);
    return wide;
}

String NarrowInCodePage(const String &wide, int codePage)
{
    String narrow;
    CodePageFromWide(wide, codePage, "?", narrow);
    return narrow;
}

String WideFromAscii(const char *ascii)
{
    String wide;
    for (const char *p = ascii; *p; ++p)
        wide.AppendWideChar(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    return wide;
}
