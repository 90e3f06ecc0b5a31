#include <chrono>
#include <vector>

#include <gtest/gtest.h>

#include "platform/object.h"
#include "startup/mmain.h"
#include "tests/support/fake_runtime.h"

using testing_support::DayWindow;
using testing_support::FakeRuntime;

namespace {

class DemonstrationRun : public testing::TestWithParam<DayWindow> {};

}  // namespace

TEST_P(DemonstrationRun, ShowsTheBoxesOfItsDaysAtTheEdgesAndInside)
{
    const DayWindow& window = GetParam();
    std::vector<testing_support::ShownBox> boxes;
    for (const auto& expected : window.boxes) {
        boxes.push_back(expected.box);
    }
    for (const std::chrono::year_month_day day : {window.first, window.Middle(), window.last}) {
        SCOPED_TRACE(testing_support::DayText(day));
        FakeRuntime runtime(day);
        MMain::Main();
        EXPECT_EQ(runtime.box.shown, boxes);
        EXPECT_EQ(runtime.clock.reads, window.clock_reads) << "ages are asked again when A is not older";
        EXPECT_EQ(platform::Object::LiveCount(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, DemonstrationRun, testing::ValuesIn(testing_support::DayWindows()));
