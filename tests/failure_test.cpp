#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/object.h"
#include "startup/mmain.h"
#include "tests/support/allocation_faults.h"
#include "tests/support/fake_runtime.h"

using namespace std::chrono;
using platform::RunFailure;
using testing_support::FakeRuntime;

namespace {

struct Reported {
    bool failed = false;
    platform::Status status;
    std::string object;
    std::string operation;
};

Reported RunMain()
{
    try {
        MMain::Main();
        return {};
    } catch (const RunFailure& failure) {
        return {true, failure.status, failure.object ? failure.object : "", failure.operation};
    }
}

struct BoxFailureCase {
    year_month_day today;
    // Who showed each box of the day's run, in order.
    std::vector<std::pair<std::string, std::string>> shown_by;
};

void PrintTo(const BoxFailureCase& run, std::ostream* os)
{
    *os << testing_support::DayText(run.today);
}

class BoxFailure : public testing::TestWithParam<BoxFailureCase> {};

}  // namespace

TEST_P(BoxFailure, EndsTheRunThroughTheReportNamingTheOperation)
{
    const auto& shown_by = GetParam().shown_by;
    for (std::size_t failing = 0; failing < shown_by.size(); ++failing) {
        SCOPED_TRACE("box " + std::to_string(failing + 1));
        FakeRuntime runtime(GetParam().today);
        runtime.box.fail_at = failing;
        const Reported reported = RunMain();
        ASSERT_TRUE(reported.failed);
        EXPECT_EQ(reported.status, runtime.box.failure);
        EXPECT_EQ(reported.object, shown_by[failing].first);
        EXPECT_EQ(reported.operation, shown_by[failing].second);
        EXPECT_EQ(runtime.box.calls, failing + 1) << "nothing runs after the failure";
        EXPECT_EQ(platform::Object::LiveCount(), 0u) << "both persons are released";
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryBoxOfEveryWindow, BoxFailure,
    testing::Values(
        BoxFailureCase{2026y / December / 7,
                       {{"A", "ZobrazVse"}, {"A", "ZobrazVse"}, {"B", "ZobrazVse"}, {"", "MsgBox"}}},
        BoxFailureCase{
            1985y / June / 15,
            {{"A", "ZobrazVse"}, {"A", "ZobrazVse"}, {"B", "ZobrazVse"}, {"", "MsgBox"}, {"B", "DatumNarozeni"}}},
        BoxFailureCase{1971y / June / 15,
                       {{"A", "ZobrazVse"},
                        {"B", "DatumNarozeni"},
                        {"A", "ZobrazVse"},
                        {"B", "ZobrazVse"},
                        {"", "MsgBox"},
                        {"B", "DatumNarozeni"}}},
        BoxFailureCase{1960y / June / 15,
                       {{"A", "ZobrazVse"},
                        {"A", "DatumNarozeni"},
                        {"B", "DatumNarozeni"},
                        {"A", "ZobrazVse"},
                        {"B", "ZobrazVse"},
                        {"", "MsgBox"},
                        {"B", "DatumNarozeni"}}}));

TEST(ClockFailure, EndsTheRunAtTheFirstBirthDate)
{
    FakeRuntime runtime(2026y / December / 7);
    runtime.clock.failure = platform::Status::FromPosixError(75);
    const Reported reported = RunMain();
    ASSERT_TRUE(reported.failed);
    EXPECT_EQ(reported.status, runtime.clock.failure);
    EXPECT_EQ(reported.object, "A");
    EXPECT_EQ(reported.operation, "DatumNarozeni");
    EXPECT_EQ(runtime.box.shown.size(), 1u);
    EXPECT_EQ(platform::Object::LiveCount(), 0u);
}

class AllocationFailure : public testing::TestWithParam<testing_support::TestDay> {};

TEST_P(AllocationFailure, AtAnyPointOfARunEndsItCleanly)
{
    long allocations = 0;
    {
        testing_support::AllocationFaults counter;
        {
            FakeRuntime runtime(GetParam().day);
            ASSERT_FALSE(RunMain().failed);
        }
        allocations = counter.Seen();
        ASSERT_EQ(counter.Outstanding(), 0);
    }
    ASSERT_GT(allocations, 5);
    for (long n = 1; n <= allocations; ++n) {
        SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(allocations));
        testing_support::AllocationFaults faults(n);
        {
            FakeRuntime runtime(GetParam().day);
            const Reported reported = RunMain();
            ASSERT_TRUE(faults.Injected());
            ASSERT_TRUE(reported.failed);
            EXPECT_EQ(reported.status, platform::kOutOfMemory);
            EXPECT_EQ(platform::Object::LiveCount(), 0u);
        }
        EXPECT_EQ(faults.Outstanding(), 0) << "nothing leaks";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, AllocationFailure,
                         testing::Values(testing_support::TestDay{2026y / December / 7},
                                         testing_support::TestDay{1985y / June / 15},
                                         testing_support::TestDay{1971y / June / 15},
                                         testing_support::TestDay{1960y / June / 15}));
