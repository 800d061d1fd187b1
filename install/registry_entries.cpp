#include "install/registry_entries.h"

#include "core/codepage.h"
#include "core/csv.h"
#include "core/path_text.h"
#include "install/text_lines.h"

namespace {

constexpr int kKeyFields = 1;
constexpr int kValueFields = 5;

// The fields of one line: the CSV reader works on 8-bit text, and UTF-8 keeps every separator
// where it was.
std::vector<String> SplitFields(const String &line)
{
    String utf8;
    CodePageFromWide(line, kCodePageUtf8, nullptr, utf8);
    std::vector<String> fields = CsvSplit(utf8);
    for (String &field : fields) {
        String wide;
        CodePageToWide(field, kCodePageUtf8, wide);
        field = wide;
    }
    return fields;
}

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

String Piece(const char16_t *w, int32_t units) { return String(w, units); }

// A number of up to `bits` bits: decimal, "-" decimal (two's complement) or "0x" hexadecimal.
bool ParseNumber(const String &wide, int bits, uint64_t &value, String &problem)
{
    String text(wide);
    text.TrimWide();
    const char16_t *w = text.Wide();
    int32_t n = text.WideLength();
    const uint64_t limit = bits == 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
    int32_t i = 0;
    bool negative = false;
    if (i < n && (w[i] == u'-' || w[i] == u'+'))
        negative = w[i++] == u'-';
    bool hex = i + 1 < n && w[i] == u'0' && (w[i + 1] == u'x' || w[i + 1] == u'X');
    if (hex)
        i += 2;
    if (i >= n) {
        problem = String::FormatWide(u"\"%s\" is not a number", Piece(w, n).Wide());
        return false;
    }
    uint64_t v = 0;
    const uint64_t base = hex ? 16 : 10;
    for (; i < n; ++i) {
        int d = hex ? HexDigit(w[i]) : (w[i] >= u'0' && w[i] <= u'9' ? w[i] - u'0' : -1);
        if (d < 0) {
            problem = String::FormatWide(u"\"%s\" is not a number", Piece(w, n).Wide());
            return false;
        }
        if (v > (limit - uint64_t(d)) / base) {
            problem = String::FormatWide(u"%s does not fit in %d bits", Piece(w, n).Wide(), bits);
            return false;
        }
        v = v * base + uint64_t(d);
    }
    if (negative) {
        // Down from 2^bits: -1 is all ones; the most negative value of the width is allowed.
        if (v > (limit >> 1) + 1) {
            problem = String::FormatWide(u"%s does not fit in %d bits", Piece(w, n).Wide(), bits);
            return false;
        }
        v = (~v + 1) & limit;
    }
    value = v;
    return true;
}

bool ParseBinary(const String &data, String &bytes, String &problem)
{
    const char16_t *w = data.Wide();
    int32_t n = data.WideLength();
    int32_t i = 0;
    for (;;) {
        while (i < n && (w[i] == u' ' || w[i] == u'\t' || w[i] == u'\r' || w[i] == u'\n'))
            ++i;
        if (i >= n)
            return true;
        int32_t start = i;
        while (i < n && w[i] != u' ' && w[i] != u'\t' && w[i] != u'\r' && w[i] != u'\n')
            ++i;
        int32_t from = start;
        if (i - from > 2 && w[from] == u'0' && (w[from + 1] == u'x' || w[from + 1] == u'X'))
            from += 2;
        unsigned value = 0;
        bool good = i > from;
        for (int32_t k = from; good && k < i; ++k) {
            int d = HexDigit(w[k]);
            good = d >= 0 && value <= 0xF;
            value = value * 16 + unsigned(d < 0 ? 0 : d);
        }
        if (!good || value > 0xFF) {
            problem = String::FormatWide(u"\"%s\" is not a byte in hexadecimal", Piece(w + start, i - start).Wide());
            return false;
        }
        bytes.AppendByte(static_cast<char>(value));
    }
}

} // namespace

std::vector<RegistryEntry> ParseRegistryEntries(const String &text)
{
    std::vector<RegistryEntry> entries;
    for (const String &line : NonBlankWideLines(text)) {
        RegistryEntry entry;
        entry.line = line;
        const std::vector<String> fields = SplitFields(line);
        if (fields.size() == kKeyFields) {
            entry.kind = RegistryEntryKind::Key;
            entry.keyPath = fields[0];
            entry.keyPath.TrimWide();
        } else if (fields.size() == kValueFields) {
            entry.kind = RegistryEntryKind::Value;
            entry.keyPath = fields[0];
            entry.keyPath.TrimWide();
            entry.valueName = fields[1];
            entry.type = static_cast<uint32_t>(fields[2].ParseIntegerWide());
            entry.data = fields[3];
            entry.operation = static_cast<int>(fields[4].ParseIntegerWide());
        }
        entries.push_back(entry);
    }
    return entries;
}

bool RegistryOperationWrites(int operation) { return operation == 1 || operation == 3; }
bool RegistryOperationDeletes(int operation) { return operation == 4 || operation == 5; }
bool RegistryOperationDeletesAtUninstall(int operation)
{
    return operation == 2 || operation == 3 || operation == 5;
}

bool PrepareRegistryData(uint32_t type, const String &data, String &bytes, String &problem)
{
    bytes.Clear();
    problem.Clear();
    switch (type) {
    case kRegistryTypeString:
    case kRegistryTypeExpandString:
        bytes = data;
        bytes.AppendWideChar(0);
        return true;
    case kRegistryTypeBinary:
        if (ParseBinary(data, bytes, problem))
            return true;
        bytes.Clear();
        return false;
    case kRegistryTypeDword:
    case kRegistryTypeQword: {
        const int bits = type == kRegistryTypeDword ? 32 : 64;
        uint64_t value = 0;
        if (!ParseNumber(data, bits, value, problem))
            return false;
        for (int i = 0; i < bits / 8; ++i)
            bytes.AppendByte(static_cast<char>((value >> (8 * i)) & 0xFF));
        return true;
    }
    default:
        return true;
    }
}

String RegistryTextWide(const String &settingsText) { return PathTextToWide(settingsText); }
