#include "core/local_time_win.h"

#include <windows.h>

DateTime LocalDateTimeNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    DateTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.day = now.wDay;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    return t;
}
