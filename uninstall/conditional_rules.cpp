#include "uninstall/conditional_rules.h"

bool ParseFileVersionValue(const String &text, uint64_t &version)
{
    String trimmed(text);
    trimmed.Trim();
    const char *p = trimmed.Bytes();
    const int32_t n = trimmed.Length();
    uint64_t parts[4] = {0, 0, 0, 0};
    int count = 0;
    int32_t i = 0;
    if (n == 0)
        return false;
    for (;;) {
        if (count == 4 || i >= n || p[i] < '0' || p[i] > '9')
            return false;
        uint64_t number = 0;
        while (i < n && p[i] >= '0' && p[i] <= '9') {
            number = number * 10 + uint64_t(p[i] - '0');
            if (number > 0xFFFF)
                return false;
            ++i;
        }
        parts[count++] = number;
        if (i == n)
            break;
        if (p[i] != '.')
            return false;
        ++i;
    }
    version = parts[0] << 48 | parts[1] << 32 | parts[2] << 16 | parts[3];
    return true;
}

bool ConditionAllowsDeletion(int condition, uint64_t value, uint64_t fileVersion, uint64_t fileSize)
{
    switch (condition) {
    case 0: return true;
    case 1: return fileVersion == value;
    case 2: return fileVersion >= value;
    case 3: return fileVersion <= value;
    case 4: return fileSize == value;
    case 5: return fileSize >= value;
    case 6: return fileSize <= value;
    default: return false;
    }
}
