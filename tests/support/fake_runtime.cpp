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
    // Each box with the person whose operation shows it, and that operation.
    const auto shown = [](const char* object, const char* prompt) {
        return ScriptBox{PersonBox(prompt), object, "ZobrazVse"};
    };
    const ScriptBox nobody = shown("A", "Nevyplněno Nevyplněno narozen dne: Nevyplněno");
    const ScriptBox tarn = shown("A", "Tarn Zíbal narozen dne: 1.1.1970");
    const ScriptBox tarn_unborn = shown("A", "Tarn Zíbal narozen dne: Nevyplněno");
    const ScriptBox ostin = shown("B", "Ostin Murav narozen dne: 20.11.1972");
    const ScriptBox ostin_unborn = shown("B", "Ostin Murav narozen dne: Nevyplněno");
    const ScriptBox refused_a{RefusedDateBox(), "A", "DatumNarozeni"};
    const ScriptBox refused_b{RefusedDateBox(), "B", "DatumNarozeni"};
    const auto report = [](const char* relation) {
        const std::string prompt = std::string("Tarn Zíbal") + relation + "Ostin Murav";
        return ScriptBox{{prompt, platform::BoxStyle::Information, "Osoby"}, "", "MsgBox"};
    };
    static const std::vector<DayWindow> windows = {
        {100y / January / 1,
         1970y / January / 1,
         {nobody, refused_a, refused_b, tarn_unborn, ostin_unborn, report(" je stejně starý jako "), refused_b},
         7},
        {1970y / January / 2,
         1972y / November / 20,
         {nobody, refused_b, tarn, ostin_unborn, report(" je mladší než "), refused_b},
         7},
        {1972y / November / 21, 1999y / November / 20, {nobody, tarn, ostin, report(" je starší než "), refused_b}, 5},
        {1999y / November / 21, 9999y / December / 31, {nobody, tarn, ostin, report(" je starší než ")}, 5},
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
