#pragma once

#include <chrono>
#include <string_view>

#include "platform/status.h"
#include "platform/text.h"

namespace platform {

// A point in time as a serial date: the whole part counts days from
// 30.12.1899 (0.0), taken toward zero; the fraction is the time of day.
// It holds the years 100 to 9999. In a birth date, 0.0 means "not filled in".
using DATE = double;

// Midnight of a calendar day.
DATE DateFromCivil(std::chrono::year_month_day day) noexcept;

// Whether a number is a DATE at all: not NaN, within the years 100 to 9999.
bool IsDate(DATE date) noexcept;

// The calendar day of a date; failure for a number that is no DATE.
Status CivilFromDate(DATE date, std::chrono::year_month_day& day) noexcept;

// The Gregorian year of a date; the year of 0.0 is 1899.
Status YearOfDate(DATE date, int& year) noexcept;

// A number turned into a date: the serial value itself.
constexpr DATE NumberToDate(int number) noexcept
{
    return static_cast<DATE>(number);
}

// "day.month.year" with a one- or two-digit day and month and a four-digit
// year, nothing before or after; gives midnight of that day.
Status TextToDate(std::string_view text, DATE& date) noexcept;

// "day.month.year" without leading zeros in day and month and with a
// four-digit year ("1.1.1970", "1.1.0100"); the time of day is not shown.
// `text` is written only on success.
Status DateToText(DATE date, Text& text) noexcept;

}  // namespace platform
