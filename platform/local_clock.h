#pragma once

#include "platform/runtime.h"

namespace platform {

// Today's date from the system clock, in the local time zone; each platform
// implements it.
class LocalClock final : public ClockService {
public:
    Status Today(std::chrono::year_month_day& today) noexcept override;
};

}  // namespace platform
