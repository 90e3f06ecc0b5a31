#include "platform/local_clock.h"

#include "platform/web/page_calls.h"

namespace platform {

Status LocalClock::Today(std::chrono::year_month_day& today) noexcept
{
    // The page answers with the browser's own day; a year it cannot hold is
    // no day of ours either.
    int year = 0;
    int month = 0;
    int day = 0;
    if (osoby_today(&year, &month, &day) != 0 || month < 1 || month > 12 || day < 1 || day > 31) {
        return kInvalidDate;
    }
    today = std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
            std::chrono::day{static_cast<unsigned>(day)};
    return today.ok() ? kOk : kInvalidDate;
}

}  // namespace platform
