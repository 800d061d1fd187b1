#include "install/install_log.h"

#include <cstdarg>

#include "core/codepage.h"
#include "core/format.h"

namespace {

LogBodySink g_sink = nullptr;

void Emit(const String &bytes)
{
    if (g_sink && !bytes.Empty())
        g_sink(bytes.Bytes(), bytes.Length());
}

void EmitNarrow(const char *bytes, int32_t length)
{
    if (g_sink && length > 0)
        Emit(LogUtf8FromCodePage(bytes, length, kCodePageWindows1252));
}

void EmitWide(const char16_t *text, int32_t units)
{
    if (g_sink && units > 0)
        Emit(LogUtf8FromWide(text, units));
}

int32_t WideLength(const char16_t *text)
{
    int32_t n = 0;
    while (text[n])
        ++n;
    return n;
}

int32_t NarrowLength(const char *text)
{
    int32_t n = 0;
    while (text[n])
        ++n;
    return n;
}

} // namespace

void SetLogBodySink(LogBodySink sink) { g_sink = sink; }
bool LogBodyOpen() { return g_sink != nullptr; }

String LogUtf8FromCodePage(const char *bytes, int32_t length, int codePage)
{
    String wide;
    String utf8;
    if (length <= 0)
        return utf8;
    if (!CodePageToWide(bytes, length, codePage, wide))
        return String(bytes, length);   // no conversion: the bytes are still better than nothing
    CodePageFromWide(wide, kCodePageUtf8, "?", utf8);
    return utf8;
}

String LogUtf8FromWide(const char16_t *text, int32_t units)
{
    String utf8;
    if (units <= 0)
        return utf8;
    // A lone surrogate has no UTF-8 form: it becomes "?" rather than dropping the whole line.
    String clean;
    clean.AssignWide(text, units);
    char16_t *w = clean.MutableWide();
    for (int32_t i = 0; i < units; ++i) {
        const bool high = w[i] >= 0xD800 && w[i] <= 0xDBFF;
        const bool low = w[i] >= 0xDC00 && w[i] <= 0xDFFF;
        if (high && i + 1 < units && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
            ++i;
            continue;
        }
        if (high || low)
            w[i] = u'?';
    }
    CodePageFromWide(clean, kCodePageUtf8, "?", utf8);
    return utf8;
}

void LogPrintf(const char *format, ...)
{
    if (!g_sink)
        return;
    String text;
    va_list args;
    va_start(args, format);
    FormatAppendV(text, format, args);
    va_end(args);
    EmitNarrow(text.Bytes(), text.Length());
}

void LogPrintfW(const char16_t *format, ...)
{
    if (!g_sink)
        return;
    String text;
    va_list args;
    va_start(args, format);
    FormatAppendWideV(text, format, args);
    va_end(args);
    EmitWide(text.Wide(), text.WideLength());
}

void LogConcat(const char *first, ...)
{
    if (!g_sink)
        return;
    String text;
    va_list args;
    va_start(args, first);
    for (const char *piece = first; piece; piece = va_arg(args, const char *))
        text.Append(piece);
    va_end(args);
    EmitNarrow(text.Bytes(), text.Length());
}

void LogConcatW(const char16_t *first, ...)
{
    if (!g_sink)
        return;
    String text;
    va_list args;
    va_start(args, first);
    for (const char16_t *piece = first; piece; piece = va_arg(args, const char16_t *))
        text.AppendWide(piece);
    va_end(args);
    EmitWide(text.Wide(), text.WideLength());
}

void LogText(const char *text)
{
    if (text)
        EmitNarrow(text, NarrowLength(text));
}

void LogTextW(const char16_t *text)
{
    if (text)
        EmitWide(text, WideLength(text));
}

void LogString(const String &text) { EmitNarrow(text.Bytes(), text.Length()); }
void LogStringW(const String &wide) { EmitWide(wide.Wide(), wide.WideLength()); }
void LogRaw(const String &bytes) { Emit(bytes); }
