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

// A person of the script with the label the failure report names it by.
struct Labelled {
    const Ref<TOsoba>& person;
    const char* label;
};

// A failure goes to the failure report with the label of the person whose
// operation failed, or null for a service.
void Check(Status status, const char* label, const char* operation)
{
    if (status.Failed()) {
        platform::ReportFailure(status, label, operation);
    }
}

void SetBirthDate(Labelled who, std::string_view text)
{
    DATE date = 0.0;
    Check(platform::TextToDate(text, date), nullptr, "TextToDate");
    Check(who.person->put_DatumNarozeni(date), who.label, "DatumNarozeni");
}

void ReportAges(Labelled a, Labelled b)
{
    std::int16_t age_a = 0;
    std::int16_t age_b = 0;
    Check(a.person->Vek(age_a), a.label, "Vek");
    Check(b.person->Vek(age_b), b.label, "Vek");
    std::string_view relation = " je starší než ";
    if (!(age_a > age_b)) {
        // Both ages are asked again before the second comparison.
        Check(a.person->Vek(age_a), a.label, "Vek");
        Check(b.person->Vek(age_b), b.label, "Vek");
        relation = age_a < age_b ? " je mladší než " : " je stejně starý jako ";
    }
    Text s1;
    Text s2;
    Text prompt;
    Check(a.person->CeleJmeno(s1), a.label, "CeleJmeno");
    Check(b.person->CeleJmeno(s2), b.label, "CeleJmeno");
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
    SetBirthDate({A, "A"}, "1.1.1970");

    Check(B->put_Jmeno("Ostin"), "B", "Jmeno");
    Check(B->put_Prijmeni("Murav"), "B", "Prijmeni");
    SetBirthDate({B, "B"}, "20.11.1972");

    Check(A->ZobrazVse(), "A", "ZobrazVse");
    Check(B->ZobrazVse(), "B", "ZobrazVse");

    ReportAges({A, "A"}, {B, "B"});

    SetBirthDate({B, "B"}, "20.11.1999");

    A.Reset();
    B.Reset();
}

}  // namespace MMain
