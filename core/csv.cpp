#include "core/csv.h"

#include <cstring>

bool CsvNeedsQuotes(const String &field)
{
    const int32_t n = field.Length();
    if (n == 0)
        return false;
    const char *text = field.Bytes();
    for (int32_t i = 0; i < n; ++i)
        if (std::strchr(",\"\t\r\n;|", text[i]) != nullptr && text[i] != '\0')
            return true;
    return text[0] == ' ' || text[0] == '\'' || text[0] == '#' || text[n - 1] == ' ';
}

String CsvField(const String &field)
{
    if (!CsvNeedsQuotes(field))
        return field;
    String quoted;
    quoted.Reserve(field.Length() + 2);
    quoted.AppendByte('"');
    for (int32_t i = 0; i < field.Length(); ++i) {
        const char c = field.Bytes()[i];
        if (c == '"')
            quoted.AppendByte('"');
        quoted.AppendByte(c);
    }
    quoted.AppendByte('"');
    return quoted;
}

String CsvRecord(const std::vector<String> &fields)
{
    String record;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            record.AppendByte(',');
        record.Append(CsvField(fields[i]));
    }
    return record;
}

namespace {

// The one splitter behind both forms; `Unit` is char or char16_t and `append` adds one unit.
template <typename Unit, typename Append>
void Split(const Unit *text, int32_t length, std::vector<String> &fields, Append append)
{
    fields.clear();
    int32_t i = 0;
    for (;;) {
        String field;
        while (i < length && (text[i] == Unit(' ') || text[i] == Unit('\t')))
            ++i;
        if (i < length && text[i] == Unit('"')) {
            ++i;
            while (i < length) {
                if (text[i] == Unit('"')) {
                    if (i + 1 < length && text[i + 1] == Unit('"')) {
                        append(field, Unit('"'));
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                append(field, text[i++]);
            }
        }
        while (i < length && text[i] != Unit(','))
            append(field, text[i++]);
        fields.push_back(std::move(field));
        if (i >= length)
            return;
        ++i;   // the comma
    }
}

} // namespace

void SplitCsvFields(const String &line, std::vector<String> &fields)
{
    Split(line.Bytes(), line.Length(), fields, [](String &field, char c) { field.AppendByte(c); });
}

void SplitCsvFieldsWide(const String &line, std::vector<String> &fields)
{
    Split(line.Wide(), line.WideLength(), fields, [](String &field, char16_t c) { field.AppendWideChar(c); });
}

std::vector<String> CsvSplit(const String &record)
{
    std::vector<String> fields;
    SplitCsvFields(record, fields);
    return fields;
}

bool CsvHoldsLineBreak(const String &field)
{
    for (int32_t i = 0; i < field.Length(); ++i)
        if (field.Bytes()[i] == '\r' || field.Bytes()[i] == '\n')
            return true;
    return false;
}
