#include "setupdata/corruption.h"

#include "core/fatal.h"
#include "core/format.h"

const char kBuiltInCorruptionMessage[] =
    "This installation program is corrupt.  This is usually caused by a faulty download, but it can "
    "also be caused by a virus on your computer.  The installation cannot proceed.\r\n\r\n"
    "Delete the corrupted installer (to prevent caching), then re-download it.  If the problem "
    "persists, check your system for viruses.\r\n\r\nError code: %d";

namespace {
CorruptionHandler g_handler = nullptr;
CorruptionMessageSource g_source = nullptr;
}

void SetCorruptionHandler(CorruptionHandler handler) { g_handler = handler; }
void SetCorruptionMessageSource(CorruptionMessageSource source) { g_source = source; }

void ReportCorruption(int code)
{
    if (g_handler) {
        g_handler(code);
        Fatal("corruption handler returned");
    }
    // The translated message comes from the setup data itself, so it is used only when it can
    // safely be formatted with one int.
    const String translated = g_source ? g_source() : String();
    const char *format = IsSingleIntFormat(translated) ? translated.Bytes() : kBuiltInCorruptionMessage;
    FatalFormat(format, code);
}
