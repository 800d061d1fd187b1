#include "pack/project_table.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <chrono>
#include <ctime>

#include "pack/pack_error.h"
#include "core/codepage.h"
#include "core/path_text.h"

// ---------------------------------------------------------------------------------------------
// Errors

std::string LocationOf(const TomlValue &at)
{
    const toml::source_location where = at.location();
    return where.file_name() + ":" + std::to_string(where.line());
}

void FailAt(const TomlValue &at, const std::string &message)
{
    const toml::source_location where = at.location();
    std::string text = LocationOf(at) + ": " + message;
    if (!where.line_str().empty())
        text += "\n    " + std::to_string(where.line()) + " | " + where.line_str();
    throw PackError(text);
}

std::string TomlSyntaxMessage(const toml::syntax_error &error)
{
    // toml11 writes "[error] toml::function: what\n --> file\n   |\n 2 | line\n   |   ^--- hint".
    std::string what = error.what();
    std::string first = what.substr(0, what.find('\n'));
    std::string rest = what.size() > first.size() ? what.substr(first.size() + 1) : std::string();
    if (first.rfind("[error] ", 0) == 0)
        first.erase(0, 8);
    if (first.rfind("toml::", 0) == 0 && first.find(": ") != std::string::npos)
        first.erase(0, first.find(": ") + 2);
    std::string excerpt;
    size_t at = 0;
    while (at < rest.size()) {
        size_t end = rest.find('\n', at);
        if (end == std::string::npos)
            end = rest.size();
        const std::string line = rest.substr(at, end - at);
        if (line.rfind(" --> ", 0) != 0)
            excerpt += "\n  " + line;
        at = end + 1;
    }
    const toml::source_location where = error.location();
    return where.file_name() + ":" + std::to_string(where.line()) + ": " + first + excerpt;
}

namespace {

int EditDistance(const std::string &a, const std::string &b)
{
    std::vector<int> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (size_t j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1] ? 1 : 0)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

const char *TypeName(const TomlValue &v)
{
    switch (v.type()) {
    case toml::value_t::boolean: return "a boolean";
    case toml::value_t::integer: return "an integer";
    case toml::value_t::floating: return "a number";
    case toml::value_t::string: return "a text";
    case toml::value_t::offset_datetime:
    case toml::value_t::local_datetime: return "a date and time";
    case toml::value_t::local_date: return "a date";
    case toml::value_t::local_time: return "a time";
    case toml::value_t::array: return "a list";
    case toml::value_t::table: return "a table";
    default: return "nothing";
    }
}

std::string Quoted(const char *key) { return std::string("\"") + key + "\""; }

// The value as the project file writes it.
std::string SourceText(const TomlValue &v)
{
    const toml::source_location where = v.location();
    const std::string &line = where.line_str();
    if (where.column() >= 1 && where.column() - 1 + where.region() <= line.size())
        return line.substr(where.column() - 1, where.region());
    return toml::format(v);
}

// toml11 reads an integer literal beyond 64 bits as the nearest 64-bit value; the literal itself
// tells whether that happened.
bool BeyondInt64(const TomlValue &v)
{
    const int64_t n = v.as_integer();
    if (n != INT64_MAX && n != INT64_MIN)
        return false;
    std::string digits;
    int base = 10;
    bool negative = false;
    std::string text = SourceText(v);
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        negative = text[0] == '-', text.erase(0, 1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'o' || text[1] == 'b'))
        base = text[1] == 'x' ? 16 : text[1] == 'o' ? 8 : 2, text.erase(0, 2);
    unsigned __int128 magnitude = 0;
    for (char c : text) {
        if (c == '_')
            continue;
        const int digit = c >= '0' && c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        magnitude = magnitude * unsigned(base) + unsigned(digit);
        if (magnitude > (unsigned __int128)1 << 64)
            return true;
    }
    return negative ? magnitude > (unsigned __int128)1 << 63 : magnitude > uint64_t(INT64_MAX);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// ProjectTable

const TomlValue *ProjectTable::Get(const char *key)
{
    known_.insert(key);
    const auto &t = table_->as_table();
    const auto it = t.find(key);
    return it == t.end() ? nullptr : &it->second;
}

const TomlValue *ProjectTable::Typed(const char *key, toml::value_t type, const char *expected)
{
    const TomlValue *v = Get(key);
    if (v && v->type() != type)
        FailAt(*v, Quoted(key) + " must be " + expected + ", not " + TypeName(*v));
    return v;
}

bool ProjectTable::Bool(const char *key, bool fallback)
{
    const TomlValue *v = Typed(key, toml::value_t::boolean, "true or false");
    return v ? v->as_boolean() : fallback;
}

const TomlValue *ProjectTable::Text(const char *key)
{
    return Typed(key, toml::value_t::string, "a text");
}

int64_t ProjectTable::Integer(const char *key, int64_t fallback, int64_t min, int64_t max)
{
    const TomlValue *v = Typed(key, toml::value_t::integer, "an integer");
    if (!v)
        return fallback;
    const int64_t n = v->as_integer();
    if (n < min || n > max || BeyondInt64(*v))
        FailAt(*v, Quoted(key) + " must be from " + std::to_string(min) + " to " + std::to_string(max) +
                       ", not " + SourceText(*v));
    return n;
}

double ProjectTable::Number(const char *key, double fallback, double above, double atMost)
{
    const TomlValue *v = Get(key);
    if (!v)
        return fallback;
    if (!v->is_integer() && !v->is_floating())
        FailAt(*v, Quoted(key) + " must be a number, not " + TypeName(*v));
    const double n = v->is_integer() ? static_cast<double>(v->as_integer()) : v->as_floating();
    // NaN fails both comparisons' negations, so it is caught here as well as the infinities.
    if (!(n > above && n <= atMost)) {
        char range[96];
        std::snprintf(range, sizeof range, " must be a number above %g and at most %g", above, atMost);
        FailAt(*v, Quoted(key) + range + ", not " + toml::format(*v));
    }
    return n;
}

int64_t ProjectTable::Choice(const char *key, int64_t fallback, const ChoiceList &names, int64_t rawMax)
{
    const TomlValue *v = Get(key);
    if (!v)
        return fallback;
    if (v->is_integer() && rawMax >= 0) {
        if (v->as_integer() < 0 || v->as_integer() > rawMax)
            FailAt(*v, Quoted(key) + " must be from 0 to " + std::to_string(rawMax));
        return v->as_integer();
    }
    std::string allowed;
    for (const auto &n : names)
        allowed += std::string(allowed.empty() ? "" : ", ") + "\"" + n.first + "\"";
    if (rawMax >= 0)
        allowed += " or an integer";
    if (!v->is_string())
        FailAt(*v, Quoted(key) + " must be one of " + allowed);
    for (const auto &n : names)
        if (TextOf(*v) == n.first)
            return n.second;
    FailAt(*v, Quoted(key) + " must be one of " + allowed + ", not \"" + TextOf(*v) + "\"");
}

std::optional<ProjectTable> ProjectTable::Table(const char *key)
{
    const TomlValue *v = Typed(key, toml::value_t::table, "a table");
    if (!v)
        return std::nullopt;
    return ProjectTable(*v, name_.empty() ? key : name_ + "." + key);
}

std::vector<ProjectTable> ProjectTable::Tables(const char *key)
{
    std::vector<ProjectTable> out;
    const TomlValue *v = Get(key);
    if (!v)
        return out;
    if (!v->is_array())
        FailAt(*v, Quoted(key) + " must be a list of tables, each written [[" +
                       (name_.empty() ? std::string(key) : name_ + "." + key) + "]]");
    for (const TomlValue &e : v->as_array()) {
        if (!e.is_table())
            FailAt(e, "each entry of " + Quoted(key) + " must be a table");
        out.emplace_back(e, name_.empty() ? key : name_ + "." + key);
    }
    return out;
}

std::vector<const TomlValue *> ProjectTable::TextList(const char *key)
{
    std::vector<const TomlValue *> out;
    const TomlValue *v = Get(key);
    if (!v)
        return out;
    if (v->is_string()) {
        out.push_back(v);
        return out;
    }
    if (!v->is_array())
        FailAt(*v, Quoted(key) + " must be a text or a list of texts");
    for (const TomlValue &e : v->as_array()) {
        if (!e.is_string())
            FailAt(e, "each entry of " + Quoted(key) + " must be a text");
        out.push_back(&e);
    }
    return out;
}

void ProjectTable::Finish() const
{
    for (const auto &kv : table_->as_table()) {
        if (known_.count(kv.first))
            continue;
        std::string message = "unknown key \"" + kv.first + "\"";
        message += name_.empty() ? " at the top level" : " in [" + name_ + "]";
        std::string best;
        int bestDistance = 3;
        for (const std::string &k : known_) {
            const int d = EditDistance(kv.first, k);
            if (d < bestDistance)
                bestDistance = d, best = k;
        }
        if (!best.empty())
            message += " (did you mean \"" + best + "\"?)";
        FailAt(kv.second, message);
    }
}

// ---------------------------------------------------------------------------------------------
// Conversions

std::string TextOf(const TomlValue &v) { return v.as_string().str; }

String ByteString(const std::string &bytes)
{
    return String(bytes.data(), static_cast<int32_t>(bytes.size()));
}

std::optional<String> WideOfUtf8(const std::string &utf8)
{
    String wide, back;
    // The conversion replaces ill-formed bytes; converting back tells whether any were.
    if (!CodePageToWide(utf8.data(), static_cast<int32_t>(utf8.size()), kCodePageUtf8, wide) ||
        !CodePageFromWide(wide, kCodePageUtf8, nullptr, back) || back != ByteString(utf8))
        return std::nullopt;
    return wide;
}

std::string Utf8OfWide(const String &wide)
{
    String utf8;
    CodePageFromWide(wide, kCodePageUtf8, nullptr, utf8);
    return std::string(utf8.Bytes(), utf8.Length());
}

String WideText(const TomlValue &at, const std::string &utf8)
{
    std::optional<String> wide = WideOfUtf8(utf8);
    if (!wide)
        FailAt(at, "the text is not valid UTF-8");
    return *wide;
}

String Windows1252Text(const TomlValue &at, const std::string &utf8)
{
    const String wide = WideText(at, utf8);
    String narrow, back;
    if (!CodePageFromWide(wide, kCodePageWindows1252, "?", narrow) ||
        !CodePageToWide(narrow, kCodePageWindows1252, back) || back != wide)
        FailAt(at, "the text has a character that Windows-1252 cannot hold (this value is stored "
                   "as 8-bit text)");
    return narrow;
}

String PathText(const TomlValue &at, const std::string &utf8)
{
    return PathTextFromWide(WideText(at, utf8));
}

std::string WithCrLf(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

DateTime DateOf(const TomlValue &v)
{
    DateTime d;
    switch (v.type()) {
    case toml::value_t::local_date: {
        const toml::local_date &date = v.as_local_date();
        d.year = date.year, d.month = date.month + 1, d.day = date.day, d.hour = -1;
        return d;
    }
    case toml::value_t::local_datetime: {
        const toml::local_datetime &dt = v.as_local_datetime();
        d.year = dt.date.year, d.month = dt.date.month + 1, d.day = dt.date.day;
        d.hour = dt.time.hour, d.minute = dt.time.minute, d.second = dt.time.second;
        return d;
    }
    case toml::value_t::offset_datetime: {
        const std::chrono::system_clock::time_point tp = v.as_offset_datetime();
        const std::time_t t = std::chrono::system_clock::to_time_t(tp);
        std::tm utc{};
        gmtime_r(&t, &utc);
        d.year = utc.tm_year + 1900, d.month = utc.tm_mon + 1, d.day = utc.tm_mday;
        d.hour = utc.tm_hour, d.minute = utc.tm_min, d.second = utc.tm_sec;
        return d;
    }
    case toml::value_t::string:
        if (TextOf(v) == "none")
            return d;
        break;
    default:
        break;
    }
    FailAt(v, "a date must be written 2024-05-01T12:30:00 (UTC), 2024-05-01 (a date without a "
              "time) or \"none\"");
}
