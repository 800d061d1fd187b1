#include "setupdata/language.h"

#include "setupdata/corruption.h"
#include "setupdata/settings_stream.h"

namespace {

const char16_t kEnglish[] = u"English";

const LanguageTable *g_runTable = nullptr;
PlaceholderExpander g_runExpand = nullptr;

// Row `id` of the active language as stored, or null when the table has no such entry.
const String *StoredLanguageString(const LanguageTable &table, int id)
{
    if (id < 0 || size_t(id) >= table.rows.size())
        return nullptr;
    const std::vector<String> &row = table.rows[size_t(id)];
    if (table.active < 0 || size_t(table.active) >= row.size())
        return nullptr;
    return &row[size_t(table.active)];
}

// True when `wide` converts to Windows-1252 and back unchanged.
bool HasWindows1252Form(const String &wide)
{
    String narrow, back;
    return CodePageFromWide(wide, kCodePageWindows1252, nullptr, narrow, true) &&
           CodePageToWide(narrow, kCodePageWindows1252, back) && back == wide;
}

} // namespace

void ReadLanguageTable(SettingsStream &in, LanguageTable &table)
{
    const int languages = in.ReadU8();
    if (languages < 1 || languages > kMaxLanguages)
        ReportCorruption(kCorruptLanguageCount);
    const int32_t rows = in.ReadI32();
    if (rows < 1 || rows > kMaxLanguageRows)
        ReportCorruption(kCorruptStringCount);
    table.names.clear();
    table.rows.clear();
    int active = 0;
    for (int i = 0; i < languages; ++i) {
        String name;
        in.ReadZeroEndedWide(name);
        if (name == String(kEnglish))
            active = i;
        table.names.push_back(static_cast<String &&>(name));
    }
    for (int32_t r = 0; r < rows; ++r) {
        std::vector<String> row(static_cast<size_t>(languages));
        for (String &text : row)
            in.ReadZeroEndedWide(text);
        table.rows.push_back(static_cast<std::vector<String> &&>(row));
    }
    SetActiveLanguage(table, active);
}

void SetActiveLanguage(LanguageTable &table, int index)
{
    table.active = index;
    table.codePage = kCodePageWindows1252;
    for (const std::vector<String> &row : table.rows) {
        if (index >= 0 && size_t(index) < row.size() && !HasWindows1252Form(row[size_t(index)])) {
            table.codePage = kCodePageUtf8;
            return;
        }
    }
}

String LanguageString(const LanguageTable &table, int id, PlaceholderExpander expand)
{
    const String *stored = StoredLanguageString(table, id);
    if (!stored)
        return String();
    String text(*stored);
    if (expand)
        expand(text);
    return text;
}

String LanguageStringNarrow(const LanguageTable &table, int id, PlaceholderExpander expand)
{
    String narrow;
    CodePageFromWide(LanguageString(table, id, expand), table.codePage, "?", narrow);
    return narrow;
}

void SetRunLanguage(const LanguageTable *table, PlaceholderExpander expand)
{
    g_runTable = table;
    g_runExpand = expand;
}

String LanguageString(int id) { return g_runTable ? LanguageString(*g_runTable, id, g_runExpand) : String(); }

String LanguageStringNarrow(int id) { return NarrowInCodePage(LanguageString(id), RunMessageCodePage()); }

PlaceholderExpander RunPlaceholderExpander() { return g_runExpand; }

// A language whose texts fit Windows-1252 keeps the ANSI code page for the run's messages (the
// same page on Western systems), so that the system's own texts and paths in a wide fatal message
// keep the characters that page has; only a language that needs more brings its page (UTF-8).
int RunMessageCodePage()
{
    if (!g_runTable || g_runTable->names.empty() || g_runTable->codePage == kCodePageWindows1252)
        return kCodePageAnsi;
    return g_runTable->codePage;
}
