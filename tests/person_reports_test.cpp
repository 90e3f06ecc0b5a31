#include <chrono>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "person/osoba.h"
#include "tests/support/fake_runtime.h"

using namespace std::chrono;
using platform::DATE;
using platform::kOk;
using platform::Ref;
using platform::Text;
using testing_support::FakeRuntime;
using testing_support::PersonBox;

namespace {

class PersonReports : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(platform::CreateObject(person), kOk); }

    void Fill(const std::string& first_name, const std::string& surname, year_month_day born)
    {
        ASSERT_EQ(person->put_Jmeno(first_name), kOk);
        ASSERT_EQ(person->put_Prijmeni(surname), kOk);
        ASSERT_EQ(person->put_DatumNarozeni(platform::DateFromCivil(born)), kOk);
    }
    Text CeleJmeno() const
    {
        Text text;
        EXPECT_EQ(person->CeleJmeno(text), kOk);
        return text;
    }
    std::int16_t Vek() const
    {
        std::int16_t age = -1;
        EXPECT_EQ(person->Vek(age), kOk);
        return age;
    }

    FakeRuntime runtime{2026y / December / 7};
    Ref<TOsoba> person;
};

}  // namespace

TEST_F(PersonReports, ANewPerson)
{
    EXPECT_EQ(CeleJmeno(), "Nevyplněno Nevyplněno");
    EXPECT_EQ(Vek(), 2026 - 1899);
    ASSERT_EQ(person->ZobrazVse(), kOk);
    ASSERT_EQ(runtime.box.shown.size(), 1u);
    EXPECT_EQ(runtime.box.shown[0], PersonBox("Nevyplněno Nevyplněno narozen dne: Nevyplněno"));
}

TEST_F(PersonReports, AFilledInPerson)
{
    Fill("Tarn", "Zíbal", 1970y / January / 1);
    EXPECT_EQ(CeleJmeno(), "Tarn Zíbal");
    EXPECT_EQ(Vek(), 56);
    ASSERT_EQ(person->ZobrazVse(), kOk);
    ASSERT_EQ(runtime.box.shown.size(), 1u);
    EXPECT_EQ(runtime.box.shown[0], PersonBox("Tarn Zíbal narozen dne: 1.1.1970"));
}

TEST_F(PersonReports, AnEmptyFirstNameLeavesTheSpace)
{
    Fill("", "Zíbal", 1970y / January / 1);
    EXPECT_EQ(CeleJmeno(), " Zíbal");
    ASSERT_EQ(person->ZobrazVse(), kOk);
    EXPECT_EQ(runtime.box.shown.at(0).prompt, " Zíbal narozen dne: 1.1.1970");
}

TEST_F(PersonReports, TheDateShownIsTheDayWithoutItsTime)
{
    ASSERT_EQ(person->put_DatumNarozeni(platform::DateFromCivil(1972y / November / 20) + 0.75), kOk);
    ASSERT_EQ(person->ZobrazVse(), kOk);
    EXPECT_EQ(runtime.box.shown.at(0).prompt, "Nevyplněno Nevyplněno narozen dne: 20.11.1972");
    // Only 0.0 itself is "not filled in"; a day before it is a date.
    ASSERT_EQ(person->put_DatumNarozeni(-1.0), kOk);
    ASSERT_EQ(person->ZobrazVse(), kOk);
    EXPECT_EQ(runtime.box.shown.at(1).prompt, "Nevyplněno Nevyplněno narozen dne: 29.12.1899");
}

TEST_F(PersonReports, AgeCountsCalendarYearsOnly)
{
    runtime.clock.today = 2000y / January / 1;
    Fill("A", "B", 1999y / December / 31);
    EXPECT_EQ(Vek(), 1);

    Fill("A", "B", 1972y / November / 20);
    for (const year_month_day day :
         {2026y / January / 1, 2026y / November / 19, 2026y / November / 20, 2026y / December / 31}) {
        runtime.clock.today = day;
        EXPECT_EQ(Vek(), 54) << static_cast<unsigned>(day.month()) << "/" << static_cast<unsigned>(day.day());
    }
}

TEST_F(PersonReports, ClearingTheDateShowsNotFilledInAgain)
{
    Fill("Tarn", "Zíbal", 1970y / January / 1);
    ASSERT_EQ(person->put_DatumNarozeni(0.0), kOk);
    ASSERT_EQ(person->ZobrazVse(), kOk);
    EXPECT_EQ(runtime.box.shown.at(0).prompt, "Tarn Zíbal narozen dne: Nevyplněno");
    EXPECT_EQ(Vek(), 2026 - 1899);
}

TEST_F(PersonReports, ReportsChangeNothing)
{
    Fill("Tarn", "Zíbal", 1970y / January / 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(CeleJmeno(), "Tarn Zíbal");
        EXPECT_EQ(Vek(), 56);
        ASSERT_EQ(person->ZobrazVse(), kOk);
    }
    ASSERT_EQ(runtime.box.shown.size(), 3u);
    EXPECT_EQ(runtime.box.shown[2], runtime.box.shown[0]);
    DATE date = 0.0;
    ASSERT_EQ(person->get_DatumNarozeni(date), kOk);
    EXPECT_EQ(date, platform::DateFromCivil(1970y / January / 1));
}

TEST_F(PersonReports, APersonLivesUntilItsOwnBoxReturns)
{
    // The caller's last reference goes while the box is up; the operation
    // holds its own.
    using Operation = platform::Status (*)(TOsoba&);
    for (const Operation operation :
         {+[](TOsoba& p) { return p.ZobrazVse(); },
          +[](TOsoba& p) { return p.put_DatumNarozeni(platform::DateFromCivil(2026y / December / 7)); }}) {
        ASSERT_EQ(platform::CreateObject(person), kOk);
        std::size_t alive_in_box = 0;
        runtime.box.while_shown = [&] {
            person.Reset();
            alive_in_box = platform::Object::LiveCount();
        };
        ASSERT_EQ(operation(*person), kOk);
        EXPECT_EQ(alive_in_box, 1u);
        EXPECT_EQ(platform::Object::LiveCount(), 0u);
    }
}

TEST_F(PersonReports, AFailingServiceFailsTheReport)
{
    runtime.box.fail_at = 0;
    EXPECT_EQ(person->ZobrazVse(), runtime.box.failure);

    runtime.clock.failure = platform::Status::FromPosixError(75);
    std::int16_t age = 33;
    EXPECT_EQ(person->Vek(age), runtime.clock.failure);
    EXPECT_EQ(age, 0) << "the output is 0 unless the operation succeeds";
}
