// The local date and time now, as the time stamps of the program hold it.
#pragma once

#include "core/date_time.h"

DateTime LocalDateTimeNow();
