#include "platform/date.h"

#include <charconv>
#include <cmath>

namespace platform {
namespace {

using namespace std::chrono;

constexpr sys_days kEpoch{year{1899} / December / 30};
constexpr year kFirstYear{100};
constexpr year kLastYear{9999};

constexpr DATE Serial(year_month_day day)
{
    return static_cast<DATE>((sys_days{day} - kEpoch).count());
}

// The whole part is taken toward zero, so the bounds are open by one day.
constexpr DATE kBeforeFirst = Serial(kFirstYear / January / 1) - 1.0;
constexpr DATE kAfterLast = Serial(kLastYear / December / 31) + 1.0;

// Reads between `fewest` and `most` decimal digits at `pos`.
bool ReadNumber(std::string_view text, std::size_t& pos, int fewest, int most, int& value)
{
    int count = 0;
    value = 0;
    while (pos < text.size() && count < most && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    return count >= fewest;
}

bool ReadDot(std::string_view text, std::size_t& pos)
{
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        return true;
    }
    return false;
}

}  // namespace

DATE DateFromCivil(year_month_day day) noexcept
{
    return Serial(day);
}

bool IsDate(DATE date) noexcept
{
    return date > kBeforeFirst && date < kAfterLast;  // false for NaN
}

Status CivilFromDate(DATE date, year_month_day& day) noexcept
{
    if (!IsDate(date)) {
        return kInvalidDate;
    }
    day = year_month_day{kEpoch + days{static_cast<int>(std::trunc(date))}};
    return kOk;
}

Status YearOfDate(DATE date, int& year) noexcept
{
    year_month_day day;
    if (const Status status = CivilFromDate(date, day); status.Failed()) {
        return status;
    }
    year = static_cast<int>(day.year());
    return kOk;
}

Status TextToDate(std::string_view text, DATE& date) noexcept
{
    std::size_t pos = 0;
    int d = 0;
    int m = 0;
    int y = 0;
    if (!ReadNumber(text, pos, 1, 2, d) || !ReadDot(text, pos) || !ReadNumber(text, pos, 1, 2, m) ||
        !ReadDot(text, pos) || !ReadNumber(text, pos, 4, 4, y) || pos != text.size()) {
        return kNotADate;
    }
    const year_month_day day{year{y}, month{static_cast<unsigned>(m)}, std::chrono::day{static_cast<unsigned>(d)}};
    if (!day.ok() || day.year() < kFirstYear) {
        return kNotADate;
    }
    date = DateFromCivil(day);
    return kOk;
}

Status DateToText(DATE date, Text& text) noexcept
{
    year_month_day day;
    if (const Status status = CivilFromDate(date, day); status.Failed()) {
        return status;
    }
    // "d.m.yyyy": at most 2 + 1 + 2 + 1 + 4 characters.
    char buffer[10];
    char* end = std::to_chars(buffer, buffer + 2, static_cast<unsigned>(day.day())).ptr;
    *end++ = '.';
    end = std::to_chars(end, end + 2, static_cast<unsigned>(day.month())).ptr;
    *end++ = '.';
    const int year = static_cast<int>(day.year());
    for (int digit = 1000; digit > 0; digit /= 10) {
        *end++ = static_cast<char>('0' + year / digit % 10);
    }
    return Assign(text, std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

}  // namespace platform
