#include "core/date_compare.h"

#include <cstdint>

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (months and days outside their ranges are
// carried, which keeps the order of any stored values).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y += (m - 1) / 12;
    m = (m - 1) % 12 + 1;
    if (m <= 0) {
        m += 12;
        --y;
    }
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int64_t Seconds(const DateTime &t)
{
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + int64_t(t.hour) * 3600 +
           int64_t(t.minute) * 60 + t.second;
}

int Sign(int64_t v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

} // namespace

int CompareDateTime(const DateTime &a, const DateTime &b)
{
    if (HasDate(a) != HasDate(b))
        return HasDate(a) ? -1 : 1;
    if (!HasDate(a))
        return 0;
    if (HasTime(a) && HasTime(b)) {
        const int64_t difference = Seconds(a) - Seconds(b);
        return difference > -2 && difference < 2 ? 0 : Sign(difference);
    }
    const int64_t days = DaysFromCivil(a.year, a.month, a.day) - DaysFromCivil(b.year, b.month, b.day);
    if (days != 0)
        return Sign(days);
    if (HasTime(a) != HasTime(b))
        return HasTime(a) ? -1 : 1;
    return 0;
}

String FormatRecordDate(const DateTime &t)
{
    return String::Format("%d/%02d/%02d %02d:%02d:%02d", int(t.year), int(t.month), int(t.day),
                          int(t.hour), int(t.minute), int(t.second));
}
