#include "tests/support/fake_runtime.h"

#include <new>

#include "platform/failure.h"

namespace platform {

void PrintTo(Status status, std::ostream* os)
{
    *os << StatusCodeText(status).View();
}

}  // namespace platform

namespace testing_support {

void PrintTo(const ShownBox& box, std::ostream* os)
{
    *os << "{\"" << box.prompt << "\", " << static_cast<int>(box.style) << ", \"" << box.title << "\"}";
}

platform::Status RecordingMsgBox::Show(std::string_view prompt, platform::BoxStyle style,
                                       std::string_view title) noexcept
{
    if (calls++ == fail_at) {
        return failure;
    }
    try {
        shown.push_back({std::string(prompt), style, std::string(title)});
    } catch (const std::bad_alloc&) {
        return platform::kOutOfMemory;
    }
    return platform::kOk;
}

platform::Status FixedClock::Today(std::chrono::year_month_day& day) noexcept
{
    ++reads;
    if (failure.Failed()) {
        return failure;
    }
    day = today;
    return platform::kOk;
}

std::string DayText(std::chrono::year_month_day day)
{
    return std::to_string(static_cast<unsigned>(day.day())) + "." + std::to_string(static_cast<unsigned>(day.month())) +
           "." + std::to_string(static_cast<int>(day.year()));
}

void PrintTo(const TestDay& day, std::ostream* os)
{
    *os << DayText(day.day);
}

ShownBox RefusedDateBox()
{
    return {"Vkládané Datum narození je menší než současné datum", platform::BoxStyle::Warning, "Chyba vstupu"};
}

ShownBox PersonBox(const std::string& prompt)
{
    return {prompt, platform::BoxStyle::Plain, "Informace o Osobě"};
}

}  // namespace testing_support
