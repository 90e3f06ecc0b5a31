#include "startup/mmain.h"

#include <cstdint>
#include <string_view>

#include "person/osoba.h"
#include "platform/date.h"
#include "platform/failure.h"
#include "platform/object.h"
#include "platform/runtime.h"
#include "platform/text.h"

namespace MMain {
namespace {

using platform::DATE;
using platform::Ref;
using platform::Status;
using platform::Text;

void Check(Status status, const char* person, const char* operation)
{
    if (status.Failed()) {
        platform::ReportFailure(status, person, operation);
    }
}

void SetBirthDate(TOsoba& osoba, const char* person, std::string_view text)
{
    DATE date = 0.0;
    Check(platform::TextToDate(text, date), nullptr, "TextToDate");
    Check(osoba.put_DatumNarozeni(date), person, "DatumNarozeni");
}

void ReportAges(const TOsoba& a, const TOsoba& b)
{
    std::int16_t age_a = 0;
    std::int16_t age_b = 0;
    Check(a.Vek(age_a), "A", "Vek");
    Check(b.Vek(age_b), "B", "Vek");
    std::string_view relation = " je starší než ";
    if (!(age_a > age_b)) {
        // Both ages are asked again before the second comparison.
        Check(a.Vek(age_a), "A", "Vek");
        Check(b.Vek(age_b), "B", "Vek");
        relation = age_a < age_b ? " je mladší než " : " je stejně starý jako ";
    }
    Text s1;
    Text s2;
    Text prompt;
    Check(a.CeleJmeno(s1), "A", "CeleJmeno");
    Check(b.CeleJmeno(s2), "B", "CeleJmeno");
    Check(platform::Join(prompt, {s1, relation, s2}), nullptr, "Join");
    Check(platform::MsgBox(prompt, platform::BoxStyle::Information, "Osoby"), nullptr, "MsgBox");
}

}  // namespace

void Main()
{
    // B is declared first so that unwinding after a failure releases A, then
    // B, in the same order as the end of the script.
    Ref<TOsoba> B;
    Ref<TOsoba> A;
    Check(platform::CreateObject(A), "A", "CreateObject");
    Check(platform::CreateObject(B), "B", "CreateObject");

    Check(A->ZobrazVse(), "A", "ZobrazVse");

    Check(A->put_Jmeno("Tarn"), "A", "Jmeno");
    Check(A->put_Prijmeni("Zíbal"), "A", "Prijmeni");
    SetBirthDate(*A, "A", "1.1.1970");

    Check(B->put_Jmeno("Ostin"), "B", "Jmeno");
    Check(B->put_Prijmeni("Murav"), "B", "Prijmeni");
    SetBirthDate(*B, "B", "20.11.1972");

    Check(A->ZobrazVse(), "A", "ZobrazVse");
    Check(B->ZobrazVse(), "B", "ZobrazVse");

    ReportAges(*A, *B);

    SetBirthDate(*B, "B", "20.11.1999");

    A.Reset();
    B.Reset();
}

}  // namespace MMain
