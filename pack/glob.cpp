#include "pack/glob.h"

#include <cctype>

namespace {

bool SameLetter(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Matches a bracket class starting at pattern[p] == '['; sets `end` to the index after ']'.
// A class without its closing bracket is taken as a literal '['.
bool MatchClass(const std::string &pattern, size_t p, char c, size_t &end)
{
    size_t i = p + 1;
    bool negate = false;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
        negate = true;
        ++i;
    }
    bool matched = false;
    bool first = true;
    for (; i < pattern.size() && (first || pattern[i] != ']'); first = false) {
        char lo = pattern[i];
        char hi = lo;
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            hi = pattern[i + 2];
            i += 3;
        } else {
            ++i;
        }
        const char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const char uc = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if ((lc >= lo && lc <= hi) || (uc >= lo && uc <= hi))
            matched = true;
    }
    if (i >= pattern.size()) {
        end = p + 1;
        return c == '[';
    }
    end = i + 1;
    return c != '/' && matched != negate;
}

bool Match(const std::string &pattern, size_t p, const std::string &text, size_t t)
{
    while (p < pattern.size()) {
        const char pc = pattern[p];
        if (pc == '*') {
            const bool deep = p + 1 < pattern.size() && pattern[p + 1] == '*';
            size_t next = p + (deep ? 2 : 1);
            // "**/" also matches no folder at all.
            if (deep && next < pattern.size() && pattern[next] == '/' && Match(pattern, next + 1, text, t))
                return true;
            for (size_t k = t;; ++k) {
                if (Match(pattern, next, text, k))
                    return true;
                if (k >= text.size() || (!deep && text[k] == '/'))
                    return false;
            }
        }
        if (t >= text.size())
            return false;
        if (pc == '?') {
            if (text[t] == '/')
                return false;
            ++p;
        } else if (pc == '[') {
            size_t end;
            if (!MatchClass(pattern, p, text[t], end))
                return false;
            p = end;
        } else {
            if (!SameLetter(pc, text[t]))
                return false;
            ++p;
        }
        ++t;
    }
    return t == text.size();
}

} // namespace

bool GlobMatch(const std::string &pattern, const std::string &relativePath)
{
    if (pattern.find('/') == std::string::npos) {
        const size_t slash = relativePath.rfind('/');
        return Match(pattern, 0, relativePath, slash == std::string::npos ? 0 : slash + 1);
    }
    return Match(pattern, 0, relativePath, 0);
}
