#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

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

TEST_F(PersonReports, ShowWhatIsFilledInAndNevyplnenoForWhatIsNot)
{
    const DATE born_1970 = platform::DateFromCivil(1970y / January / 1);
    const DATE evening_1972 = platform::DateFromCivil(1972y / November / 20) + 0.75;
    const std::string nobody = "Nevyplněno Nevyplněno";
    const std::int16_t since_1899 = 2026 - 1899;
    struct Case {
        const char* first_name;  // null: left as created
        const char* surname;
        std::vector<DATE> birth_dates;  // set in this order
        std::string full_name;
        std::int16_t age;
        std::string prompt;
    };
    for (const Case& row : {
             Case{nullptr, nullptr, {}, nobody, since_1899, nobody + " narozen dne: Nevyplněno"},
             Case{"Tarn", "Zíbal", {born_1970}, "Tarn Zíbal", 56, "Tarn Zíbal narozen dne: 1.1.1970"},
             Case{"", "Zíbal", {born_1970}, " Zíbal", 56, " Zíbal narozen dne: 1.1.1970"},  // the space stays
             Case{"Tarn", "Zíbal", {born_1970, 0.0}, "Tarn Zíbal", since_1899, "Tarn Zíbal narozen dne: Nevyplněno"},
             // The day without its time; only 0.0 itself is "not filled in".
             Case{nullptr, nullptr, {evening_1972}, nobody, 54, nobody + " narozen dne: 20.11.1972"},
             Case{nullptr, nullptr, {-1.0}, nobody, since_1899, nobody + " narozen dne: 29.12.1899"},
         }) {
        SCOPED_TRACE(row.prompt);
        ASSERT_EQ(platform::CreateObject(person), kOk);
        if (row.first_name != nullptr) {
            ASSERT_EQ(person->put_Jmeno(row.first_name), kOk);
            ASSERT_EQ(person->put_Prijmeni(row.surname), kOk);
        }
        for (const DATE date : row.birth_dates) {
            ASSERT_EQ(person->put_DatumNarozeni(date), kOk);
        }
        for (int call = 1; call <= 2; ++call) {  // the same again: reports change nothing
            EXPECT_EQ(CeleJmeno(), row.full_name);
            EXPECT_EQ(Vek(), row.age);
            runtime.box.shown.clear();
            ASSERT_EQ(person->ZobrazVse(), kOk);
            ASSERT_EQ(runtime.box.shown.size(), 1u);
            EXPECT_EQ(runtime.box.shown[0], PersonBox(row.prompt));
        }
        DATE stored = -1.0;
        ASSERT_EQ(person->get_DatumNarozeni(stored), kOk);
        EXPECT_EQ(stored, row.birth_dates.empty() ? 0.0 : row.birth_dates.back());
    }
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
