#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/local_clock.h"
#include "platform/posix/local_day.h"

using namespace std::chrono;

TEST(LocalClock, EveryInstantIsADayInTheLocalZone)
{
    const char* zone = std::getenv("TZ");
    const std::string previous = zone ? zone : "";
    year_month_day day{};
    // -1 is a time like any other: 31.12.1969 23:59:59 UTC. 1'796'601'600 is
    // 7.12.2026 00:00 UTC; a second before, it is that day in Central Europe
    // still: the local day, not the UTC day.
    for (const auto& [tz, time, local_day] :
         {std::tuple{"UTC0", -1L, 1969y / December / 31}, std::tuple{"UTC0", 0L, 1970y / January / 1},
          std::tuple{"UTC0", 1'796'601'600L, 2026y / December / 7},
          std::tuple{"CET-1", 1'796'601'600L - 1, 2026y / December / 7}}) {
        ::setenv("TZ", tz, 1);
        ::tzset();
        EXPECT_EQ(platform::posix::LocalDayOf(time, day), platform::kOk) << tz << " " << time;
        EXPECT_EQ(day, local_day) << tz << " " << time;
    }
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
