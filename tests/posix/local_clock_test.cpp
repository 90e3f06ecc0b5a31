#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "platform/local_clock.h"
#include "platform/posix/local_day.h"

using namespace std::chrono;

TEST(LocalClock, EveryInstantIsADayInTheLocalZone)
{
    const char* zone = std::getenv("TZ");
    const std::string previous = zone ? zone : "";
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    year_month_day day{};
    // -1 is a time like any other: 31.12.1969 23:59:59 UTC.
    EXPECT_EQ(platform::posix::LocalDayOf(-1, day), platform::kOk);
    EXPECT_EQ(day, 1969y / December / 31);
    EXPECT_EQ(platform::posix::LocalDayOf(0, day), platform::kOk);
    EXPECT_EQ(day, 1970y / January / 1);
    EXPECT_EQ(platform::posix::LocalDayOf(1'796'601'600, day), platform::kOk);  // 7.12.2026 00:00 UTC
    EXPECT_EQ(day, 2026y / December / 7);
    ::setenv("TZ", "CET-1", 1);
    ::tzset();
    EXPECT_EQ(platform::posix::LocalDayOf(1'796'601'600 - 1, day), platform::kOk);  // 6.12.2026 23:59:59 UTC
    EXPECT_EQ(day, 2026y / December / 7) << "the local day, not the UTC day";
    if (zone) {
        ::setenv("TZ", previous.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();

    platform::LocalClock clock;
    ASSERT_EQ(clock.Today(day), platform::kOk);
    EXPECT_GE(day.year(), 2000y) << "the system clock's day";
}
