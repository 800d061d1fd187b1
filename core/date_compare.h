// Comparing and printing the time stamps of file records (core/date_time.h).
//
// Date first, then time. A time stamp without a date (month 0) is later than one with a date; one
// without a time (negative hour) is later than one with a time on the same date. Two complete time
// stamps less than 2 seconds apart are equal: FAT and some archive formats keep times to 2
// seconds, so a file copied through one of them must not look changed. The distance is taken over
// the whole time stamp, so 23:59:59 and 00:00:00 of the next day are equal too.
#pragma once

#include "core/date_time.h"
#include "core/string.h"

inline bool HasDate(const DateTime &t) { return t.month != 0; }
inline bool HasTime(const DateTime &t) { return t.hour >= 0; }

// Negative when `a` is earlier, 0 when equal, positive when `a` is later.
int CompareDateTime(const DateTime &a, const DateTime &b);

// "%d/%02d/%02d %02d:%02d:%02d": year/month/day hour:minute:second, as the replacement messages of
// the log print dates.
String FormatRecordDate(const DateTime &t);
