#pragma once

#include "platform/runtime.h"

namespace platform::windows {

// Today's date from the local clock of Windows.
class LocalClock final : public ClockService {
public:
    Status Today(std::chrono::year_month_day& today) noexcept override;
};

}  // namespace platform::windows
