#include "core/wininit_text.h"

#include <cstring>

namespace {

const char kRenameHeader[] = "[rename]";
constexpr int32_t kHeaderLength = sizeof kRenameHeader - 1;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Index of the first "[rename]" in any letter case, or -1.
int32_t FindRenameHeader(const String &text)
{
    const char *bytes = text.Bytes();
    for (int32_t i = 0; i + kHeaderLength <= text.Length(); ++i) {
        int32_t k = 0;
        while (k < kHeaderLength && LowerAscii(bytes[i + k]) == kRenameHeader[k])
            ++k;
        if (k == kHeaderLength)
            return i;
    }
    return -1;
}

} // namespace

bool AddWininitRename(String &text, const String &name, const String &value)
{
    if (name.Empty() || value.Empty())
        return false;
    String line("\r\n");
    line.Append(name).Append("=").Append(value);

    const int32_t header = FindRenameHeader(text);
    if (header >= 0) {
        text.Insert(header + kHeaderLength, line.Bytes(), line.Length());
        return true;
    }
    const int32_t length = text.Length();
    if (length > 0 && text.Bytes()[length - 1] != '\n')
        text.Append("\r\n");
    text.Append(kRenameHeader).Append(line);
    return true;
}
