#include "platform/local_clock.h"

#include <cerrno>
#include <ctime>

namespace platform {

Status LocalClock::Today(std::chrono::year_month_day& today) noexcept
{
    errno = 0;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !::localtime_r(&now, &local)) {
        return Status::FromPosixError(errno);
    }
    today = std::chrono::year{local.tm_year + 1900} / std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
            std::chrono::day{static_cast<unsigned>(local.tm_mday)};
    return kOk;
}

}  // namespace platform
