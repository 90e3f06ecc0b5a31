#include "platform/local_clock.h"

#include "platform/windows/win32.h"

namespace platform {

Status LocalClock::Today(std::chrono::year_month_day& today) noexcept
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    today = std::chrono::year{now.wYear} / std::chrono::month{now.wMonth} / std::chrono::day{now.wDay};
    return kOk;
}

}  // namespace platform
