#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/object.h"
#include "startup/mmain.h"
#include "tests/support/fake_runtime.h"

using namespace std::chrono;
using platform::BoxStyle;
using testing_support::FakeRuntime;
using testing_support::PersonBox;
using testing_support::RefusedDateBox;
using testing_support::ShownBox;

namespace {

const ShownBox kNobody = PersonBox("Nevyplněno Nevyplněno narozen dne: Nevyplněno");
const ShownBox kTarn = PersonBox("Tarn Zíbal narozen dne: 1.1.1970");
const ShownBox kTarnUnborn = PersonBox("Tarn Zíbal narozen dne: Nevyplněno");
const ShownBox kOstin = PersonBox("Ostin Murav narozen dne: 20.11.1972");
const ShownBox kOstinUnborn = PersonBox("Ostin Murav narozen dne: Nevyplněno");
const ShownBox kOlder{"Tarn Zíbal je starší než Ostin Murav", BoxStyle::Information, "Osoby"};
const ShownBox kYounger{"Tarn Zíbal je mladší než Ostin Murav", BoxStyle::Information, "Osoby"};
const ShownBox kSameAge{"Tarn Zíbal je stejně starý jako Ostin Murav", BoxStyle::Information, "Osoby"};
const ShownBox kRefused = RefusedDateBox();

// The four windows of days in which a run looks different.
const std::vector<ShownBox> kAfter1999 = {kNobody, kTarn, kOstin, kOlder};
const std::vector<ShownBox> kAfter1972 = {kNobody, kTarn, kOstin, kOlder, kRefused};
const std::vector<ShownBox> kAfter1970 = {kNobody, kRefused, kTarn, kOstinUnborn, kYounger, kRefused};
const std::vector<ShownBox> kUpTo1970 = {kNobody, kRefused, kRefused, kTarnUnborn, kOstinUnborn, kSameAge, kRefused};

struct RunCase {
    year_month_day today;
    const std::vector<ShownBox>* boxes;
    int clock_reads;  // a birth date read it three times, each age once
};

void PrintTo(const RunCase& run, std::ostream* os)
{
    *os << testing_support::DayText(run.today);
}

class DemonstrationRun : public testing::TestWithParam<RunCase> {};

}  // namespace

TEST_P(DemonstrationRun, ShowsTheBoxesOfItsDay)
{
    FakeRuntime runtime(GetParam().today);
    MMain::Main();
    EXPECT_EQ(runtime.box.shown, *GetParam().boxes);
    EXPECT_EQ(runtime.clock.reads, GetParam().clock_reads) << "ages are asked again when A is not older";
    EXPECT_EQ(platform::Object::LiveCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    DaysInEachWindowAndAtItsEdges, DemonstrationRun,
    testing::Values(RunCase{1960y / June / 15, &kUpTo1970, 7}, RunCase{1970y / January / 1, &kUpTo1970, 7},
                    RunCase{1970y / January / 2, &kAfter1970, 7}, RunCase{1971y / June / 15, &kAfter1970, 7},
                    RunCase{1972y / November / 20, &kAfter1970, 7}, RunCase{1972y / November / 21, &kAfter1972, 5},
                    RunCase{1985y / June / 15, &kAfter1972, 5}, RunCase{1999y / November / 20, &kAfter1972, 5},
                    RunCase{1999y / November / 21, &kAfter1999, 5}, RunCase{2026y / December / 7, &kAfter1999, 5},
                    RunCase{9999y / December / 31, &kAfter1999, 5}));
