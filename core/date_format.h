// The date formatter: a pattern of format letters filled from a time stamp (wide text).
//
// Letters: "d" day without leading zero, "dd" two digits; "M" the first three letters of the
// English month name, "mm" the month with two digits; "yy" the four-digit year; "h" the hour on a
// 12-hour clock (12 for noon and midnight) without leading zero; "ii" minutes and "ss" seconds
// with two digits; "ap" the letter a before noon and p from noon on. Every other character is
// copied. 7 December 2026 13:05:09 with "d-M-yy h:ii:ssap" gives "7-Dec-2026 1:05:09p".
#pragma once

#include "core/date_time.h"
#include "core/string.h"

String FormatDate(const char16_t *pattern, const DateTime &when);
