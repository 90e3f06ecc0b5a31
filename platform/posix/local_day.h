#pragma once

#include <chrono>
#include <ctime>

#include "platform/status.h"

namespace platform::posix {

// The calendar day, in the local time zone, of a point in time given in
// seconds since 1.1.1970 UTC. Every value is a time, -1 included; only the C
// library's failure (a year it cannot hold) is a failure.
Status LocalDayOf(std::time_t time, std::chrono::year_month_day& day) noexcept;

}  // namespace platform::posix
