#include "pack/dump_tree.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdlib>

DumpNode DumpNode::Text(std::string text)
{
    DumpNode n(Kind::Text);
    n.text_ = std::move(text);
    return n;
}

DumpNode DumpNode::Word(std::string word)
{
    DumpNode n(Kind::Word);
    n.text_ = std::move(word);
    return n;
}

DumpNode DumpNode::Integer(int64_t value)
{
    DumpNode n(Kind::Integer);
    n.integer_ = value;
    return n;
}

DumpNode DumpNode::Real(double value)
{
    DumpNode n(Kind::Real);
    n.real_ = value;
    return n;
}

DumpNode DumpNode::Bool(bool value)
{
    DumpNode n(Kind::Bool);
    n.integer_ = value;
    return n;
}

DumpNode DumpNode::Object() { return DumpNode(Kind::Object); }
DumpNode DumpNode::List() { return DumpNode(Kind::List); }

DumpNode &DumpNode::Add(const std::string &name, DumpNode value, const std::string &key)
{
    names_.push_back(name);
    keys_.push_back(key);
    values_.push_back(std::move(value));
    return values_.back();
}

DumpNode &DumpNode::Push(DumpNode value)
{
    values_.push_back(std::move(value));
    return values_.back();
}

std::string PeopleQuoted(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + char(c);
        else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else
            out += char(c);
    }
    return out + "\"";
}

namespace {

std::string RealText(double value)
{
    if (!std::isfinite(value))
        return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    // The shortest form that reads back as the same number, for people and diffs alike.
    for (int digits = 1; digits <= 17; ++digits) {
        char shorter[40];
        std::snprintf(shorter, sizeof shorter, "%.*g", digits, value);
        if (std::strtod(shorter, nullptr) == value)
            return shorter;
    }
    return text;
}

void Indent(FILE *out, int indent)
{
    for (int i = 0; i < indent; ++i)
        std::fputc(' ', out);
}

// The length of a valid UTF-8 sequence at `s`, or 0.
size_t Utf8Length(const unsigned char *s, size_t left)
{
    const unsigned char c = s[0];
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || n > left)
        return 0;
    for (size_t i = 1; i < n; ++i)
        if ((s[i] & 0xC0) != 0x80)
            return 0;
    uint32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t i = 1; i < n; ++i)
        cp = (cp << 6) | (s[i] & 0x3F);
    static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

std::string JsonString(const std::string &utf8)
{
    std::string out = "\"";
    const auto *s = reinterpret_cast<const unsigned char *>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = s[i];
        const size_t n = Utf8Length(s + i, utf8.size() - i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\')
            out += std::string("\\") + char(c);
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", c);
            out += hex;
        } else
            out.append(utf8, i, n);
        i += n;
    }
    return out + "\"";
}

std::string DumpNode::ScalarText() const
{
    switch (kind_) {
    case Kind::Text: return PeopleQuoted(text_);
    case Kind::Word: return text_;
    case Kind::Integer: return std::to_string(integer_);
    case Kind::Real: return RealText(real_);
    case Kind::Bool: return integer_ ? "true" : "false";
    default: return std::string();
    }
}

// Lines of the people form: "name  key  value" for scalars, "name  key" and the members or items
// indented below for objects and lists; list items are numbered from 1. A list of words or numbers
// stays on one line ("xp, server-2003"). Columns line up within each object.
void DumpNode::WriteTextMembers(FILE *out, int indent) const
{
    size_t nameWidth = 0, keyWidth = 0;
    for (size_t i = 0; i < values_.size(); ++i) {
        nameWidth = std::max(nameWidth, kind_ == Kind::List ? std::to_string(i + 1).size() : names_[i].size());
        if (kind_ == Kind::Object)
            keyWidth = std::max(keyWidth, keys_[i].size());
    }
    nameWidth = std::min<size_t>(std::max<size_t>(nameWidth + 2, 28 - size_t(indent)), 40);
    keyWidth = keyWidth ? std::min<size_t>(keyWidth + 2, 44) : 0;
    for (size_t i = 0; i < values_.size(); ++i) {
        const DumpNode &v = values_[i];
        std::string line(size_t(indent), ' ');
        line += kind_ == Kind::List ? std::to_string(i + 1) : names_[i];
        line.resize(std::max(line.size() + 1, size_t(indent) + nameWidth), ' ');
        if (kind_ == Kind::Object)
            line += keys_[i];
        const bool inline_ = v.kind_ == Kind::List && std::all_of(v.values_.begin(), v.values_.end(), [](const DumpNode &n) {
            return n.Scalar() && n.kind_ != Kind::Text;
        });
        if (v.Scalar() || inline_ || v.values_.empty()) {
            line.resize(std::max(line.size() + 1, size_t(indent) + nameWidth + keyWidth), ' ');
            if (v.Scalar())
                line += v.ScalarText();
            else if (v.values_.empty())
                line += "none";
            else
                for (size_t j = 0; j < v.values_.size(); ++j)
                    line += (j ? ", " : "") + v.values_[j].ScalarText();
            std::fprintf(out, "%s\n", line.c_str());
        } else {
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            std::fprintf(out, "%s\n", line.c_str());
            v.WriteTextMembers(out, indent + 2);
        }
    }
}

void DumpNode::WriteText(FILE *out) const
{
    for (size_t i = 0; i < values_.size(); ++i) {
        const std::string key = kind_ == Kind::List ? std::string() : keys_[i];
        std::fprintf(out, "%s[%s]%s%s\n", i ? "\n" : "",
                     kind_ == Kind::List ? std::to_string(i + 1).c_str() : names_[i].c_str(),
                     key.empty() ? "" : "    ", key.c_str());
        const DumpNode &v = values_[i];
        if (v.Scalar())
            std::fprintf(out, "  %s\n", v.ScalarText().c_str());
        else if (v.values_.empty())
            std::fprintf(out, "  none\n");
        else
            v.WriteTextMembers(out, 2);
    }
}

void DumpNode::WriteJsonValue(FILE *out, int indent) const
{
    switch (kind_) {
    case Kind::Text:
    case Kind::Word:
        std::fputs(JsonString(text_).c_str(), out);
        return;
    case Kind::Integer:
    case Kind::Real:
    case Kind::Bool:
        std::fputs(ScalarText().c_str(), out);
        return;
    case Kind::Object:
    case Kind::List:
        break;
    }
    const bool object = kind_ == Kind::Object;
    if (values_.empty()) {
        std::fputs(object ? "{}" : "[]", out);
        return;
    }
    std::fputs(object ? "{\n" : "[\n", out);
    for (size_t i = 0; i < values_.size(); ++i) {
        Indent(out, indent + 2);
        if (object) {
            std::fprintf(out, "%s: ", JsonString(names_[i]).c_str());
            // The sections at the top are known by their names; their keys are for people.
            if (!keys_[i].empty() && indent > 0) {
                std::fprintf(out, "{\"key\": %s, \"value\": ", JsonString(keys_[i]).c_str());
                values_[i].WriteJsonValue(out, indent + 2);
                std::fputc('}', out);
            } else
                values_[i].WriteJsonValue(out, indent + 2);
        } else
            values_[i].WriteJsonValue(out, indent + 2);
        std::fputs(i + 1 < values_.size() ? ",\n" : "\n", out);
    }
    Indent(out, indent);
    std::fputs(object ? "}" : "]", out);
}

void DumpNode::WriteJson(FILE *out) const
{
    WriteJsonValue(out, 0);
    std::fputc('\n', out);
}
