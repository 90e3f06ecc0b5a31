#include "platform/runtime.h"

#include <utility>

namespace platform {
namespace {

MsgBoxService* g_box = nullptr;
ClockService* g_clock = nullptr;

}  // namespace

ScopedRuntime::ScopedRuntime(MsgBoxService& box, ClockService& clock) noexcept
    : previous_box_(std::exchange(g_box, &box)), previous_clock_(std::exchange(g_clock, &clock))
{
}

ScopedRuntime::~ScopedRuntime()
{
    g_box = previous_box_;
    g_clock = previous_clock_;
}

Status MsgBox(std::string_view prompt, BoxStyle style, std::string_view title) noexcept
{
    return g_box ? g_box->Show(prompt, style, title) : kNotPrepared;
}

Status Today(DATE& today) noexcept
{
    if (!g_clock) {
        return kNotPrepared;
    }
    std::chrono::year_month_day day;
    if (const Status status = g_clock->Today(day); status.Failed()) {
        return status;
    }
    today = DateFromCivil(day);
    return kOk;
}

}  // namespace platform
