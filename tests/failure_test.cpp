#include <chrono>
#include <cstring>
#include <string>
#include <utility>
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

class BoxFailure : public testing::TestWithParam<testing_support::DayWindow> {};
class AllocationFailure : public testing::TestWithParam<testing_support::DayWindow> {};

}  // namespace

TEST_P(BoxFailure, EndsTheRunThroughTheReportNamingTheOperation)
{
    const auto& boxes = GetParam().boxes;
    for (std::size_t failing = 0; failing < boxes.size(); ++failing) {
        SCOPED_TRACE("box " + std::to_string(failing + 1));
        FakeRuntime runtime(GetParam().Middle());
        runtime.box.fail_at = failing;
        const Reported reported = RunMain();
        ASSERT_TRUE(reported.failed);
        EXPECT_EQ(reported.status, runtime.box.failure);
        EXPECT_EQ(reported.object, boxes[failing].object);
        EXPECT_EQ(reported.operation, boxes[failing].operation);
        EXPECT_EQ(runtime.box.calls, failing + 1) << "nothing runs after the failure";
        EXPECT_EQ(platform::Object::LiveCount(), 0u) << "both persons are released";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryBoxOfEveryWindow, BoxFailure, testing::ValuesIn(testing_support::DayWindows()));

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

TEST_P(AllocationFailure, AtAnyPointOfARunEndsItCleanly)
{
    long allocations = 0;
    {
        testing_support::AllocationFaults counter;
        {
            FakeRuntime runtime(GetParam().Middle());
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
            FakeRuntime runtime(GetParam().Middle());
            const Reported reported = RunMain();
            ASSERT_TRUE(faults.Injected());
            ASSERT_TRUE(reported.failed);
            EXPECT_EQ(reported.status, platform::kOutOfMemory);
            EXPECT_EQ(platform::Object::LiveCount(), 0u);
            if (n <= 2) {
                // The run's first allocations are the persons themselves.
                EXPECT_EQ(reported.object, n == 1 ? "A" : "B");
                EXPECT_EQ(reported.operation, "CreateObject");
            }
        }
        EXPECT_EQ(faults.Outstanding(), 0) << "nothing leaks";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, AllocationFailure, testing::ValuesIn(testing_support::DayWindows()));

TEST(Runtime, ServicesGoToTheRuntimeInstalledLastAndFailWithoutOne)
{
    platform::DATE today = 0.0;
    EXPECT_EQ(platform::MsgBox("x", platform::BoxStyle::Plain, "T"), platform::kNotPrepared);
    EXPECT_EQ(platform::Today(today), platform::kNotPrepared);
    FakeRuntime outer(2026y / December / 7);
    {
        FakeRuntime inner(2026y / December / 7);
        ASSERT_EQ(platform::MsgBox("inner", platform::BoxStyle::Plain, "T"), platform::kOk);
        EXPECT_EQ(inner.box.shown.size(), 1u);
    }
    ASSERT_EQ(platform::MsgBox("outer", platform::BoxStyle::Plain, "T"), platform::kOk);
    ASSERT_EQ(outer.box.shown.size(), 1u) << "the outer runtime is back";
    EXPECT_EQ(outer.box.shown[0].prompt, "outer");
}

TEST(FailureReport, NamesEachFailureInTheUsersWords)
{
    using platform::Failure;
    const std::pair<Failure, const char*> words[] = {
        {Failure::OutOfMemory, "nedostatek paměti"},
        {Failure::NotADate, "text není datum"},
        {Failure::InvalidDate, "datum mimo roky 100 až 9999"},
        {Failure::NotPrepared, "běhové prostředí není připraveno"},
        {Failure::DialogFailed, "dialogové okno nešlo zobrazit"},
        {Failure::InternalError, "vnitřní chyba programu"},
    };
    for (const auto& [failure, text] : words) {
        EXPECT_EQ(platform::DescribeStatus(failure), text);
    }
    EXPECT_EQ(platform::StatusCodeText(platform::kNotADate).View(), "0xA0000002");
    EXPECT_EQ(platform::StatusCodeText(platform::Status::FromPosixError(28)).View(), "errno 28");
    EXPECT_EQ(platform::StatusCodeText(platform::Status::FromWindowsError(5)).View(), "0x80070005");
}
