#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/date.h"
#include "tests/support/fake_runtime.h"

using namespace std::chrono;
using platform::DATE;
using platform::kOk;

namespace {

DATE FromText(const std::string& text)
{
    DATE date = -1.0;
    EXPECT_EQ(platform::TextToDate(text, date), kOk) << text;
    return date;
}

std::string ToText(DATE date)
{
    platform::Text text;
    EXPECT_EQ(platform::DateToText(date, text), kOk) << date;
    return text;
}

}  // namespace

TEST(Dates, SerialNumbersCountDaysFromTheEndOf1899AndTextHasNoLeadingZerosButFourYearDigits)
{
    const std::tuple<const char*, DATE, const char*> days[] = {
        {"1.1.1970", 25569.0, "1.1.1970"},       {"01.01.1970", 25569.0, "1.1.1970"},
        {"20.11.1972", 26623.0, "20.11.1972"},   {"20.11.1999", 36484.0, "20.11.1999"},
        {"1.1.1900", 2.0, "1.1.1900"},           {"29.2.2000", 36585.0, "29.2.2000"},
        {"5.3.0100", -657371.0, "5.3.0100"},     {"1.1.0100", -657434.0, "1.1.0100"},
        {"31.12.9999", 2958465.0, "31.12.9999"}, {"30.12.1899", 0.0, "30.12.1899"},
    };
    for (const auto& [text, serial, shown] : days) {
        EXPECT_EQ(FromText(text), serial);
        EXPECT_EQ(ToText(serial), shown);
    }
}

TEST(Dates, TheWholePartIsTheDayTakenTowardZero)
{
    int year = 0;
    ASSERT_EQ(platform::YearOfDate(0.0, year), kOk);
    EXPECT_EQ(year, 1899);
    EXPECT_EQ(ToText(0.0), "30.12.1899");
    EXPECT_EQ(ToText(0.75), "30.12.1899");
    EXPECT_EQ(ToText(-0.5), "30.12.1899");
    EXPECT_EQ(ToText(-1.5), "29.12.1899");
    EXPECT_EQ(ToText(25569.99), "1.1.1970");
}

TEST(Dates, EveryDayOfTheRangeSurvivesTextAndBack)
{
    const sys_days first{100y / January / 1};
    const sys_days last{9999y / December / 31};
    long days_checked = 0;
    for (sys_days day = first; day <= last; day += days{1}) {
        const year_month_day civil{day};
        const DATE date = platform::DateFromCivil(civil);
        platform::Text text;
        DATE back = -1.0;
        int year = 0;
        ASSERT_EQ(platform::DateToText(date, text), kOk) << date;
        ASSERT_EQ(platform::TextToDate(text, back), kOk) << text;
        ASSERT_EQ(back, date) << text;
        // Noon: the fraction counts away from zero, as the whole part does.
        ASSERT_EQ(platform::YearOfDate(date < 0 ? date - 0.5 : date + 0.5, year), kOk);
        ASSERT_EQ(year, static_cast<int>(civil.year())) << text;
        ++days_checked;
    }
    EXPECT_EQ(days_checked, 3'615'900);  // 9900 years with 2397 leap days
}

TEST(Dates, TextThatIsNoDateIsRefused)
{
    for (const char* text :
         {"",       "31.2.1970", "29.2.1900", "0.1.1970",  "1.0.1970",   "1.13.1970",  " 1.1.1970",  "1.1.1970 ",
          "1.1.70", "1.1.100",   "1.1.19700", "1.1.1970x", "001.1.1970", "1.001.1970", "1/1/1970",   "1..1970",
          "1.1.",   "1.1.0099",  "1.1.0000",  "+1.1.1970", "1.-1.1970",  "a.b.cdef",   "1.1.1970\n", "1.1\0.1970"}) {
        DATE date = 42.0;
        EXPECT_EQ(platform::TextToDate(text, date), platform::kNotADate) << '"' << text << '"';
        EXPECT_EQ(date, 42.0) << text;
    }
}

TEST(Dates, NumbersOutsideTheRangeAreNoDates)
{
    const DATE first = platform::DateFromCivil(100y / January / 1);
    const DATE last = platform::DateFromCivil(9999y / December / 31);
    EXPECT_TRUE(platform::IsDate(first - 0.99));
    EXPECT_TRUE(platform::IsDate(last + 0.99));
    for (const DATE date : {first - 1.0, last + 1.0, std::numeric_limits<DATE>::quiet_NaN(),
                            std::numeric_limits<DATE>::infinity(), -std::numeric_limits<DATE>::infinity(), 1e300}) {
        EXPECT_FALSE(platform::IsDate(date)) << date;
        int year = 7;
        platform::Text text = "kept";
        EXPECT_EQ(platform::YearOfDate(date, year), platform::kInvalidDate) << date;
        EXPECT_EQ(platform::DateToText(date, text), platform::kInvalidDate) << date;
        EXPECT_EQ(text, "kept");
    }
}

TEST(Dates, TodayIsMidnightOfTheClocksDay)
{
    testing_support::FakeRuntime runtime(2026y / December / 7);
    DATE today = 0.0;
    ASSERT_EQ(platform::Today(today), kOk);
    EXPECT_EQ(ToText(today), "7.12.2026");
    EXPECT_EQ(today, std::floor(today));

    runtime.clock.failure = platform::Status::FromPosixError(75);
    EXPECT_TRUE(platform::Today(today).Failed());
}
