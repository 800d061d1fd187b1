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

std::vector<String> CsvSplit(const String &record)
{
    std::vector<String> fields;
    const char *text = record.Bytes();
    const int32_t n = record.Length();
    int32_t at = 0;
    for (;;) {
        while (at < n && (text[at] == ' ' || text[at] == '\t'))
            ++at;
        String field;
        if (at < n && text[at] == '"') {
            ++at;
            while (at < n) {
                if (text[at] == '"') {
                    if (at + 1 < n && text[at + 1] == '"') {
                        field.AppendByte('"');
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                field.AppendByte(text[at++]);
            }
        }
        const int32_t start = at;
        while (at < n && text[at] != ',')
            ++at;
        field.Append(text + start, at - start);
        fields.push_back(std::move(field));
        if (at >= n)
            break;
        ++at;   // the comma
    }
    return fields;
}

bool CsvHoldsLineBreak(const String &field)
{
    for (int32_t i = 0; i < field.Length(); ++i)
        if (field.Bytes()[i] == '\r' || field.Bytes()[i] == '\n')
            return true;
    return false;
}
