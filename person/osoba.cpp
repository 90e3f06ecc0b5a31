#include "person/osoba.h"

#include "platform/runtime.h"

using platform::DATE;
using platform::kOk;
using platform::Ref;
using platform::Status;
using platform::Text;

namespace {

constexpr std::string_view kNevyplneno = "Nevyplněno";

// Each operation holds a reference to its own person while it runs, so the
// person cannot be destroyed under it, even from inside a modal box.
using Hold = Ref<const TOsoba>;

// A getter's copy: the output emptied first, filled only on success.
Status CopyOut(const Text& field, Text& vysledek) noexcept
{
    vysledek.clear();
    return platform::Assign(vysledek, field);
}

}  // namespace

TOsoba::TOsoba() : m_Jmeno(kNevyplneno), m_Prijmeni(kNevyplneno), m_DatumNarozeni(platform::NumberToDate(0)) {}

Status TOsoba::CeleJmeno(Text& vysledek) const noexcept
{
    const Hold hold(this);
    vysledek.clear();
    return platform::Join(vysledek, {m_Jmeno, " ", m_Prijmeni});
}

Status TOsoba::ZobrazVse() const noexcept
{
    const Hold hold(this);
    // Not filled in: 0.0 never reaches the date-to-text service.
    Text date_text;
    std::string_view born = kNevyplneno;
    if (m_DatumNarozeni != 0.0) {
        if (const Status status = platform::DateToText(m_DatumNarozeni, date_text); status.Failed()) {
            return status;
        }
        born = date_text;
    }
    Text prompt;
    if (const Status status = platform::Join(prompt, {m_Jmeno, " ", m_Prijmeni, " narozen dne: ", born});
        status.Failed()) {
        return status;
    }
    return platform::MsgBox(prompt, platform::BoxStyle::Plain, "Informace o Osobě");
}

Status TOsoba::Vek(std::int16_t& vysledek) const noexcept
{
    const Hold hold(this);
    vysledek = 0;
    DATE today = 0.0;
    int this_year = 0;
    int birth_year = 0;
    if (const Status status = platform::Today(today); status.Failed()) {
        return status;
    }
    if (const Status status = platform::YearOfDate(today, this_year); status.Failed()) {
        return status;
    }
    if (const Status status = platform::YearOfDate(m_DatumNarozeni, birth_year); status.Failed()) {
        return status;
    }
    // Both years lie within 100..9999, so the difference fits.
    vysledek = static_cast<std::int16_t>(this_year - birth_year);
    return kOk;
}

Status TOsoba::put_DatumNarozeni(DATE vData) noexcept
{
    const Hold hold(this);
    // A value that is no date (NaN, or outside the years 100 to 9999) would
    // pass the comparison below and break every later report of the person.
    if (!platform::IsDate(vData)) {
        return platform::kInvalidDate;
    }
    DATE today = 0.0;
    if (const Status status = platform::Today(today); status.Failed()) {
        return status;
    }
    if (today <= vData) {
        return platform::MsgBox("Vkládané Datum narození je menší než současné datum", platform::BoxStyle::Warning,
                                "Chyba vstupu");
    }
    m_DatumNarozeni = vData;
    return kOk;
}

Status TOsoba::get_DatumNarozeni(DATE& vysledek) const noexcept
{
    const Hold hold(this);
    vysledek = m_DatumNarozeni;
    return kOk;
}

Status TOsoba::put_Prijmeni(std::string_view vData) noexcept
{
    const Hold hold(this);
    return platform::Assign(m_Prijmeni, vData);
}

Status TOsoba::get_Prijmeni(Text& vysledek) const noexcept
{
    const Hold hold(this);
    return CopyOut(m_Prijmeni, vysledek);
}

Status TOsoba::put_Jmeno(std::string_view vData) noexcept
{
    const Hold hold(this);
    return platform::Assign(m_Jmeno, vData);
}

Status TOsoba::get_Jmeno(Text& vysledek) const noexcept
{
    const Hold hold(this);
    return CopyOut(m_Jmeno, vysledek);
}
