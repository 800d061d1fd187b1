// The installation log: every installation step reports here what it did and what failed.
//
// During the installation the lines go to a temporary body (install/install_log_body_win.cpp owns
// the file); at the end FinishInstallLog (install/install_log_finish.h) puts a header, the body and
// the failure summary into "Install.log". The operations below append at once and add no line end:
// callers put "\r\n" into their texts. Writing while no body is open does nothing (the uninstaller
// never opens one, so its log calls are silent).
//
// Encoding of what reaches the body: wide text as UTF-8 ("?" for what cannot be converted); 8-bit
// text as Windows-1252 converted to UTF-8; LogRaw byte for byte (a batch's captured output).
#pragma once

#include <cstdint>

#include "core/string.h"

void LogPrintf(const char *format, ...) KS_PRINTF_FORMAT(1, 2);
void LogPrintfW(const char16_t *format, ...);
// Joins texts up to the terminating null: LogConcat("a", "b", nullptr).
void LogConcat(const char *first, ...) __attribute__((sentinel));
void LogConcatW(const char16_t *first, ...) __attribute__((sentinel));
void LogText(const char *text);
void LogTextW(const char16_t *text);
void LogString(const String &text);     // 8-bit
void LogStringW(const String &wide);    // UTF-16
void LogRaw(const String &bytes);

// Where the body bytes go: the temporary body file in the program, a buffer in tests. Null (the
// start state) drops them.
using LogBodySink = void (*)(const char *bytes, int32_t length);
void SetLogBodySink(LogBodySink sink);
bool LogBodyOpen();

// The conversions the log uses, shared with the log finishing.
String LogUtf8FromCodePage(const char *bytes, int32_t length, int codePage);
String LogUtf8FromWide(const char16_t *text, int32_t units);
