// printf-style formatting, 8-bit and wide (UTF-16), the same on Windows and on the host.
//
// The program's own formatter rather than the C library's: wide formatting must work where wchar_t
// is 32 bits, and the msvcrt of older Windows versions lacks %zu. Conversions:
//   %d %i %u %x %X %o   integers; length h, hh, l, ll, z, j, t, I, I32, I64 (l is the platform's long)
//   %c                  one character of the format's width; %hc 8-bit, %lc wide
//   %s                  text of the format's width (8-bit in 8-bit formats, wide in wide formats, as
//                       msvcrt reads it); %hs always 8-bit, %ls always wide, %S the other width
//   %p                  a pointer in upper-case hexadecimal
//   %e %E %f %F %g %G %a %A   floating point, through the C library
//   %%                  a percent sign
// with the flags - + blank # 0, a width and a precision (digits or *). Text of the other width is
// converted through the ANSI code page ("?" for characters that do not map); a precision on text
// counts characters of the argument. A null text prints "(null)". %n writes nothing. An unknown
// conversion is copied as it stands.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "core/string.h"

void FormatAppendV(String &out, const char *format, va_list args);
void FormatAppendWideV(String &out, const char16_t *format, va_list args);

// Into a caller's buffer without allocating (for the fatal and out-of-memory paths, and for
// conversions that need none): at most size - 1 bytes and a zero byte. Returns the bytes written.
int32_t FormatBufferV(char *buffer, int32_t size, const char *format, va_list args);
int32_t FormatBuffer(char *buffer, int32_t size, const char *format, ...) KS_PRINTF_FORMAT(3, 4);

// True when `format` holds exactly one conversion and that conversion is %d (so that it can safely
// be formatted with one int, as a format that comes from data must be). "%%" counts as a literal
// percent sign.
bool IsSingleIntFormat(const String &format);

// `format` (wide) with its first "%s" replaced by `argument` (wide) and every "%%" by "%"; any other
// conversion is copied as it stands. For formats that come from data (language strings): they are
// never handed to the formatter, so a stray %d cannot read an argument that is not there.
String FormatWithText(const String &format, const String &argument);
