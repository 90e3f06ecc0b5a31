#pragma once

#include <cstdint>
#include <string_view>

#include "platform/date.h"
#include "platform/object.h"
#include "platform/status.h"
#include "platform/text.h"

// A person: first name, surname and birth date.
//
// Every operation returns its status; a result travels through the output
// parameter beside it, which is emptied first and filled only on success. No
// operation throws, and a failed one leaves every field as it was.
//
// The property accessors carry the get_/put_ prefixes of an object interface's
// properties: a getter and a setter of the same name could not be told apart
// by a reader at the call site.
class TOsoba final : public platform::Object {
public:
    // The operations of the person's interface, in the interface's order.
    platform::Status CeleJmeno(platform::Text& vysledek) const noexcept;
    platform::Status ZobrazVse() const noexcept;
    platform::Status Vek(std::int16_t& vysledek) const noexcept;
    // A birth date that is not in the past is refused with a warning box; that
    // is not a failure. A number that is no date at all is one.
    platform::Status put_DatumNarozeni(platform::DATE vData) noexcept;
    platform::Status get_DatumNarozeni(platform::DATE& vysledek) const noexcept;
    // The setters copy the text; taking a view lets the copy, and so an
    // allocation failure, happen inside the operation.
    platform::Status put_Prijmeni(std::string_view vData) noexcept;
    platform::Status get_Prijmeni(platform::Text& vysledek) const noexcept;
    platform::Status put_Jmeno(std::string_view vData) noexcept;
    platform::Status get_Jmeno(platform::Text& vysledek) const noexcept;

private:
    template <class T>
    friend platform::Status platform::CreateObject(platform::Ref<T>& out) noexcept;

    // The creation defaults.
    TOsoba();
    ~TOsoba() override = default;

    platform::Text m_Jmeno;
    platform::Text m_Prijmeni;
    platform::DATE m_DatumNarozeni;
};
