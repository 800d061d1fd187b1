#include "install/uninstall_registration.h"

bool SplitVersionMajorMinor(const String &version8, uint32_t &major, uint32_t &minor)
{
    const char *v = version8.Bytes();
    int32_t dot = -1;
    for (int32_t i = 0; i < version8.Length(); ++i)
        if (v[i] == '.') {
            dot = i;
            break;
        }
    if (dot < 0)
        return false;
    major = static_cast<uint32_t>(String(v, dot).ParseInteger());
    minor = static_cast<uint32_t>(String(v + dot + 1, version8.Length() - dot - 1).ParseInteger());
    return true;
}

bool EstimatedSizeValue(int64_t bytes, uint32_t &kib)
{
    const int64_t k = bytes / 1024;
    if (k < 1 || k > 0xFFFFFFFFLL)
        return false;
    kib = static_cast<uint32_t>(k);
    return true;
}

String UnsignedDecimal(uint64_t value)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    String out;
    while (n)
        out.AppendByte(digits[--n]);
    return out;
}
