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
    if (while_shown) {
        while_shown();
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

std::chrono::year_month_day DayWindow::Middle() const
{
    const std::chrono::sys_days from{first};
    return from + (std::chrono::sys_days{last} - from) / 2;
}

void PrintTo(const DayWindow& window, std::ostream* os)
{
    *os << DayText(window.first) << " to " << DayText(window.last);
}

const std::vector<DayWindow>& DayWindows()
{
    using namespace std::chrono;
    const ShownBox nobody = PersonBox("Nevyplněno Nevyplněno narozen dne: Nevyplněno");
    const ShownBox tarn = PersonBox("Tarn Zíbal narozen dne: 1.1.1970");
    const ShownBox tarn_unborn = PersonBox("Tarn Zíbal narozen dne: Nevyplněno");
    const ShownBox ostin = PersonBox("Ostin Murav narozen dne: 20.11.1972");
    const ShownBox ostin_unborn = PersonBox("Ostin Murav narozen dne: Nevyplněno");
    const auto report = [](const char* relation) {
        return ShownBox{std::string("Tarn Zíbal") + relation + "Ostin Murav", platform::BoxStyle::Information, "Osoby"};
    };
    const ShownBox refused = RefusedDateBox();
    static const std::vector<DayWindow> windows = {
        {100y / January / 1,
         1970y / January / 1,
         {{nobody, "A", "ZobrazVse"},
          {refused, "A", "DatumNarozeni"},
          {refused, "B", "DatumNarozeni"},
          {tarn_unborn, "A", "ZobrazVse"},
          {ostin_unborn, "B", "ZobrazVse"},
          {report(" je stejně starý jako "), "", "MsgBox"},
          {refused, "B", "DatumNarozeni"}},
         7},
        {1970y / January / 2,
         1972y / November / 20,
         {{nobody, "A", "ZobrazVse"},
          {refused, "B", "DatumNarozeni"},
          {tarn, "A", "ZobrazVse"},
          {ostin_unborn, "B", "ZobrazVse"},
          {report(" je mladší než "), "", "MsgBox"},
          {refused, "B", "DatumNarozeni"}},
         7},
        {1972y / November / 21,
         1999y / November / 20,
         {{nobody, "A", "ZobrazVse"},
          {tarn, "A", "ZobrazVse"},
          {ostin, "B", "ZobrazVse"},
          {report(" je starší než "), "", "MsgBox"},
          {refused, "B", "DatumNarozeni"}},
         5},
        {1999y / November / 21,
         9999y / December / 31,
         {{nobody, "A", "ZobrazVse"},
          {tarn, "A", "ZobrazVse"},
          {ostin, "B", "ZobrazVse"},
          {report(" je starší než "), "", "MsgBox"}},
         5},
    };
    return windows;
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
