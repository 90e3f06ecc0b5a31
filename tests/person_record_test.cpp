#include <chrono>
#include <limits>
#include <string>
#include <utility>
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
using testing_support::RefusedDateBox;
using testing_support::ShownBox;

namespace {

class PersonRecord : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(platform::CreateObject(person), kOk); }

    Text Jmeno() const
    {
        Text text;
        EXPECT_EQ(person->get_Jmeno(text), kOk);
        return text;
    }
    Text Prijmeni() const
    {
        Text text;
        EXPECT_EQ(person->get_Prijmeni(text), kOk);
        return text;
    }
    DATE Datum() const
    {
        DATE date = -1.0;
        EXPECT_EQ(person->get_DatumNarozeni(date), kOk);
        return date;
    }

    FakeRuntime runtime{2026y / December / 7};
    const DATE today = platform::DateFromCivil(2026y / December / 7);
    Ref<TOsoba> person;
};

}  // namespace

TEST_F(PersonRecord, ANewPersonIsNotFilledIn)
{
    EXPECT_EQ(Jmeno(), "Nevyplněno");
    EXPECT_EQ(Prijmeni(), "Nevyplněno");
    EXPECT_EQ(Datum(), 0.0);
    EXPECT_TRUE(runtime.box.shown.empty());
}

TEST_F(PersonRecord, NamesAreStoredAsGivenAndCopied)
{
    std::string caller = "Tarn";
    ASSERT_EQ(person->put_Jmeno(caller), kOk);
    caller[0] = 'K';
    EXPECT_EQ(Jmeno(), "Tarn");

    ASSERT_EQ(person->put_Prijmeni("  Zíbal\t"), kOk);
    EXPECT_EQ(Prijmeni(), "  Zíbal\t");

    ASSERT_EQ(person->put_Jmeno(""), kOk);
    EXPECT_EQ(Jmeno(), "");

    EXPECT_TRUE(runtime.box.shown.empty());
}

// Each date is set over one stored before.
TEST_F(PersonRecord, ADateBeforeTodayOrZeroIsStoredSilentlyLaterIsRefusedWithAWarningAndNoDateFails)
{
    const DATE before = today - 100.0;
    const DATE infinity = std::numeric_limits<DATE>::infinity();
    const DATE first = platform::DateFromCivil(100y / January / 1);  // the first day there is
    const struct {
        std::vector<DATE> dates;
        platform::Status status;
        bool stored;  // else the date stored before stays
    } rows[] = {
        // Yesterday at 18:00, yesterday, the first day, and 0.0: not filled in again.
        {{today - 0.25, today - 1.0, first, platform::NumberToDate(0)}, kOk, true},
        // Today or later: refused with a warning, and success.
        {{today, today + 0.5, today + 0.999, today + 1.0, today + 5000.0}, kOk, false},
        // No date: a failure, and no warning.
        {{std::numeric_limits<DATE>::quiet_NaN(), -infinity, first - 1.0, -1e9}, platform::kInvalidDate, false},
    };
    for (const auto& row : rows) {
        for (const DATE date : row.dates) {
            ASSERT_EQ(person->put_DatumNarozeni(before), kOk);
            runtime.box.shown.clear();
            EXPECT_EQ(person->put_DatumNarozeni(date), row.status) << date;
            EXPECT_EQ(Datum(), row.stored ? date : before) << date;
            const bool warned = !row.stored && row.status == kOk;
            EXPECT_EQ(runtime.box.shown, warned ? std::vector{RefusedDateBox()} : std::vector<ShownBox>{}) << date;
        }
    }
}

TEST_F(PersonRecord, TheRuleReadsTheClockOnEveryCall)
{
    const DATE day = platform::DateFromCivil(2000y / June / 1);
    runtime.clock.today = 2000y / June / 1;
    ASSERT_EQ(person->put_DatumNarozeni(day), kOk);
    EXPECT_EQ(Datum(), 0.0);
    runtime.clock.today = 2000y / June / 2;
    ASSERT_EQ(person->put_DatumNarozeni(day), kOk);
    EXPECT_EQ(Datum(), day);
    EXPECT_EQ(runtime.clock.reads, 2);
    EXPECT_EQ(runtime.box.shown.size(), 1u);
}

TEST_F(PersonRecord, AFailingServiceFailsTheSetterAndKeepsTheDate)
{
    runtime.box.fail_at = 0;
    EXPECT_EQ(person->put_DatumNarozeni(today), runtime.box.failure);
    EXPECT_EQ(Datum(), 0.0);

    runtime.clock.failure = platform::Status::FromPosixError(75);
    EXPECT_EQ(person->put_DatumNarozeni(today - 3.0), runtime.clock.failure);
    EXPECT_EQ(Datum(), 0.0);
}

TEST_F(PersonRecord, ACopiedOrMovedReferenceKeepsThePersonAfterTheFirstGoes)
{
    Ref<TOsoba> copy = person;
    person.Reset();
    EXPECT_EQ(platform::Object::LiveCount(), 1u);
    Ref<TOsoba> moved = std::move(copy);
    EXPECT_FALSE(copy);  // a moved-from reference holds nothing
    ASSERT_EQ(moved->put_Jmeno("Tarn"), kOk);
    moved.Reset();
    EXPECT_EQ(platform::Object::LiveCount(), 0u);
}
