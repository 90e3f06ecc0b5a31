#include "platform/local_clock.h"

#include <cerrno>
#include <ctime>

#include "platform/posix/local_day.h"

namespace platform {

namespace posix {

Status LocalDayOf(std::time_t time, std::chrono::year_month_day& day) noexcept
{
    std::tm local{};
    if (!::localtime_r(&time, &local)) {
        return Status::FromPosixError(errno);
    }
    day = std::chrono::year{local.tm_year + 1900} / std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
          std::chrono::day{static_cast<unsigned>(local.tm_mday)};
    return kOk;
}

}  // namespace posix

Status LocalClock::Today(std::chrono::year_month_day& today) noexcept
{
    // Not time(): it gives -1 both for an error and for the last second of
    // 1969, and only clock_gettime tells the two apart.
    timespec now{};
    if (::clock_gettime(CLOCK_REALTIME, &now) != 0) {
        return Status::FromPosixError(errno);
    }
    return posix::LocalDayOf(now.tv_sec, today);
}

}  // namespace platform
