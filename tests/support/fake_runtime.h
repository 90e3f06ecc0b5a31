#pragma once

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/runtime.h"
#include "platform/status.h"

namespace platform {
// Readable statuses in test failure messages.
void PrintTo(Status status, std::ostream* os);
}  // namespace platform

namespace testing_support {

struct ShownBox {
    std::string prompt;
    platform::BoxStyle style;
    std::string title;
    friend bool operator==(const ShownBox&, const ShownBox&) = default;
};
void PrintTo(const ShownBox& box, std::ostream* os);

// Records each box it is asked to show; can be told to fail one of them.
class RecordingMsgBox final : public platform::MsgBoxService {
public:
    platform::Status Show(std::string_view prompt, platform::BoxStyle style, std::string_view title) noexcept override;

    std::vector<ShownBox> shown;
    // Runs while a box is shown, as whatever the user's box lets happen then.
    std::function<void()> while_shown;
    // The number of the box (from 0) to fail instead of showing, if any.
    std::size_t fail_at = static_cast<std::size_t>(-1);
    platform::Status failure = platform::Status::FromPosixError(EIO);
    std::size_t calls = 0;
};

// A clock that stands on one day and counts how often it is read.
class FixedClock final : public platform::ClockService {
public:
    explicit FixedClock(std::chrono::year_month_day day) : today(day) {}
    platform::Status Today(std::chrono::year_month_day& day) noexcept override;

    std::chrono::year_month_day today;
    platform::Status failure = platform::kOk;
    int reads = 0;
};

// The services a test runs the person and the script on.
class FakeRuntime {
public:
    explicit FakeRuntime(std::chrono::year_month_day today) : clock(today) {}

    RecordingMsgBox box;
    FixedClock clock;

private:
    platform::ScopedRuntime installed_{box, clock};
};

// A day as people write it, "7.12.2026", for test names.
std::string DayText(std::chrono::year_month_day day);

// A box of the demonstration run, with the person whose operation showed it
// ("" for the script itself) and that operation, as the failure report
// names them.
struct ScriptBox {
    ShownBox box;
    const char* object;
    const char* operation;
};

// The days on which the demonstration run shows the same boxes: they differ
// only by which birth dates lie in the past. A test parameter, named by its
// days.
struct DayWindow {
    std::chrono::year_month_day first;
    std::chrono::year_month_day last;
    std::vector<ScriptBox> boxes;
    int clock_reads;  // one for each birth date set, one for each age
    // A day well inside the window.
    std::chrono::year_month_day Middle() const;
};
void PrintTo(const DayWindow& window, std::ostream* os);

// Every window, from the earliest days a DATE holds to the latest.
const std::vector<DayWindow>& DayWindows();

// The warning box of a refused birth date.
ShownBox RefusedDateBox();
// The box of a person's data.
ShownBox PersonBox(const std::string& prompt);

}  // namespace testing_support
