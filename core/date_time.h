// A time stamp as the setup data stores it: six little-endian 32-bit integers.
#pragma once

#include <cstdint>

struct DateTime {
    int32_t year = 0;
    int32_t month = 0;    // 0: no date
    int32_t day = 0;
    int32_t hour = 0;     // negative: no time
    int32_t minute = 0;
    int32_t second = 0;

    bool operator==(const DateTime &o) const
    {
        return year == o.year && month == o.month && day == o.day && hour == o.hour &&
               minute == o.minute && second == o.second;
    }
};

constexpr int kDateTimeRecordSize = 24;
