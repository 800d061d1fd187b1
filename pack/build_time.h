// The time stamps the packer itself writes, for byte-reproducible installers: taken from
// SOURCE_DATE_EPOCH (seconds since 1970, UTC) when it is set, as reproducible builds do, and a
// fixed value otherwise; never from the clock.
#pragma once

#include <cstdint>
#include <optional>

#include "core/date_time.h"

// SOURCE_DATE_EPOCH when set; throws PackError when it is set but not a number of seconds.
std::optional<int64_t> SourceDateEpoch();

// The PE header's time stamp for the output: SOURCE_DATE_EPOCH, or 0.
uint32_t OutputTimeStamp();

// A time in seconds since 1970 as a UTC date.
DateTime DateOfEpoch(int64_t seconds);
