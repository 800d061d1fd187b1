#include "pack/build_time.h"

#include <cstdlib>
#include <ctime>
#include <string>

#include "pack/pack_error.h"

std::optional<int64_t> SourceDateEpoch()
{
    const char *text = std::getenv("SOURCE_DATE_EPOCH");
    if (!text || !*text)
        return std::nullopt;
    const std::string s = text;
    // Up to the end of 2106, the last second a PE time stamp can hold.
    if (s.size() > 10 || s.find_first_not_of("0123456789") != std::string::npos ||
        std::stoll(s) > int64_t(UINT32_MAX))
        throw PackError("SOURCE_DATE_EPOCH must be a number of seconds since 1970 (up to 4294967295), not \"" +
                        s + "\"");
    return std::stoll(s);
}

uint32_t OutputTimeStamp()
{
    return uint32_t(SourceDateEpoch().value_or(0));
}

DateTime DateOfEpoch(int64_t seconds)
{
    const time_t t = time_t(seconds);
    std::tm utc{};
    gmtime_r(&t, &utc);
    DateTime d;
    d.year = utc.tm_year + 1900, d.month = utc.tm_mon + 1, d.day = utc.tm_mday;
    d.hour = utc.tm_hour, d.minute = utc.tm_min, d.second = utc.tm_sec;
    return d;
}
