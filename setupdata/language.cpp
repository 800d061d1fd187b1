#include "setupdata/language.h"

#include "core/codepage.h"
#include "setupdata/settings.h"

namespace {

// Row `id` of the active language as stored, or null when the table has no such entry.
const String *StoredLanguageString(int id)
{
    const LanguageTable &table = g_settings.Languages;
    if (id < 0 || size_t(id) >= table.rows.size())
        return nullptr;
    const std::vector<String> &row = table.rows[size_t(id)];
    if (table.active < 0 || size_t(table.active) >= row.size())
        return nullptr;
    return &row[size_t(table.active)];
}

} // namespace

String LanguageString(int id)
{
    const String *stored = StoredLanguageString(id);
    if (!stored)
        return String();
    String text(*stored);
    if (const auto expand = GetSettingsHooks().expandProductPlaceholders)
        expand(text);
    return text;
}

String LanguageStringNarrow(int id)
{
    String narrow;
    CodePageFromWide(LanguageString(id), g_settings.Languages.codePage, "?", narrow);
    return narrow;
}

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
