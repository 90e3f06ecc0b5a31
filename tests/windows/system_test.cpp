// What the program reads of Windows itself: the local day and the system's
// words for its error numbers.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/local_clock.h"
#include "platform/windows/win32.h"

// start_in_wine.sh gives the day on this machine's clock in a zone 14 hours
// ahead of UTC, whose day is not UTC's for most of each day.
TEST(LocalClock, TodayIsTheDayOfTheMachinesZone)
{
    const char* host = std::getenv("OSOBY_HOST_DAY");
    int year = 0;
    unsigned month = 0, day = 0;
    ASSERT_TRUE(host && std::sscanf(host, "%d-%u-%u", &year, &month, &day) == 3) << "started by start_in_wine.sh";
    const std::chrono::sys_days host_day = std::chrono::year{year} / month / day;
    std::chrono::year_month_day today;
    platform::LocalClock clock;
    ASSERT_EQ(clock.Today(today), platform::kOk);
    // Or the next, where midnight came between.
    EXPECT_TRUE(std::chrono::sys_days{today} == host_day ||
                std::chrono::sys_days{today} == host_day + std::chrono::days{1})
        << host;
}

// Windows ends its words with a line break, which the failure report's line
// must not carry; a number it has no words for is still named.
TEST(SystemErrorText, IsTheSystemsWordsWithoutTheirLineEnd)
{
    for (const auto& [error, has_words] :
         {std::pair{ERROR_FILE_NOT_FOUND, true}, {ERROR_ACCESS_DENIED, true}, {0x3FFFL, false}}) {
        const std::string text(platform::SystemErrorText(static_cast<int>(error)));
        EXPECT_EQ(text == "systémová chyba", !has_words) << error;
        EXPECT_TRUE(text.size() > 2 && text.find_first_of("\r\n") == std::string::npos && text.back() != ' ') << text;
    }
}
