#pragma once

#include <chrono>
#include <string_view>

#include "platform/date.h"
#include "platform/status.h"

namespace platform {

// The message-box styles, with the values of the Windows flags they stand for.
enum class BoxStyle : int {
    Plain = 0,         // OK button, no icon
    Warning = 48,      // exclamation icon, OK button
    Information = 64,  // information icon, OK button
};

// A modal message box with one OK button: Show returns once the user has
// dismissed it, or with a failure when the box could not be shown.
class MsgBoxService {
public:
    virtual Status Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept = 0;

protected:
    ~MsgBoxService() = default;
};

// The local calendar day from the system clock.
class ClockService {
public:
    virtual Status Today(std::chrono::year_month_day& today) noexcept = 0;

protected:
    ~ClockService() = default;
};

// Installs the services the program runs on for as long as it lives: the
// process start installs the real ones, tests their own.
class ScopedRuntime {
public:
    ScopedRuntime(MsgBoxService& box, ClockService& clock) noexcept;
    ~ScopedRuntime();
    ScopedRuntime(const ScopedRuntime&) = delete;
    ScopedRuntime& operator=(const ScopedRuntime&) = delete;

private:
    MsgBoxService* previous_box_;
    ClockService* previous_clock_;
};

// The services as the person and start-up code call them.
Status MsgBox(std::string_view prompt, BoxStyle style, std::string_view title) noexcept;

// Midnight of the current local day.
Status Today(DATE& today) noexcept;

}  // namespace platform
