#include "core/csv.h"

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
        fields.push_back(field);
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
    Split(line.Wide(), line.WideLength(), fields,
          [](String &field, char16_t c) { field.AppendWideChar(c); });
}
