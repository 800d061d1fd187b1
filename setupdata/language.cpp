#include "setupdata/language.h"

// Until the settings reader loads a table, no row exists.
String LanguageString(int) { return String(); }
String LanguageStringNarrow(int) { return String(); }

bool IsSingleIntFormat(const String &format)
{
    int conversions = 0;
    const char *p = format.Bytes();
    const char *end = p + format.Length();
    while (p < end) {
        if (*p++ != '%')
            continue;
        if (p < end && *p == '%') {
            ++p;
            continue;
        }
        if (p >= end || *p != 'd')
            return false;
        ++p;
        ++conversions;
    }
    return conversions == 1;
}
