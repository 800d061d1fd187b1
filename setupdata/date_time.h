// The time stamp of a file record (and of the uninstaller in the settings): six 32-bit integers,
// stored as 24 bytes in this order.
#pragma once

#include <cstdint>

struct DateTime {
    int32_t year;
    int32_t month;    // 0: no date
    int32_t day;
    int32_t hour;     // negative: no time
    int32_t minute;
    int32_t second;

    bool HasDate() const { return month != 0; }
    bool HasTime() const { return hour >= 0; }
};

constexpr int kDateTimeSize = 24;
static_assert(sizeof(DateTime) == kDateTimeSize, "a stored time stamp is six int32 values");
