#include "core/dotted_version.h"

#include <cstdint>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char LowerLetter(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Walks one version text number by number.
class VersionReader {
public:
    explicit VersionReader(const char *text) : p_(text ? text : "")
    {
        leadingZero_ = *p_ == '.';
        Scan();
    }

    // The next number; false when the list has ended (after which Letter() is final).
    bool Next(uint64_t &value)
    {
        if (leadingZero_) {
            leadingZero_ = false;
            value = 0;
            return true;
        }
        if (!IsDigit(*p_))
            return false;
        constexpr uint64_t kSaturated = UINT64_MAX / 10 - 10;
        value = 0;
        for (; IsDigit(*p_); ++p_)
            if (value < kSaturated)
                value = value * 10 + uint64_t(*p_ - '0');
        Scan();
        return true;
    }

    char Letter() const { return letter_; }

private:
    // Moves to the next digit, remembering letters on the way.
    void Scan()
    {
        for (; *p_ && !IsDigit(*p_); ++p_)
            if (IsLetter(*p_))
                letter_ = LowerLetter(*p_);
    }

    const char *p_;
    bool leadingZero_ = false;
    char letter_ = 0;   // 0: no letter, lower than any letter
};

} // namespace

int CompareDottedVersions(const char *a, const char *b)
{
    VersionReader ra(a), rb(b);
    for (;;) {
        uint64_t va = 0, vb = 0;
        const bool moreA = ra.Next(va), moreB = rb.Next(vb);
        if (moreA && moreB) {
            if (va != vb)
                return va < vb ? -1 : 1;
            continue;
        }
        if (moreA != moreB)
            return moreA ? 1 : -1;
        if (ra.Letter() != rb.Letter())
            return ra.Letter() < rb.Letter() ? -1 : 1;
        return 0;
    }
}
