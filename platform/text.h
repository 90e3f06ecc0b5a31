#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

// The program's text: Unicode as UTF-8, with value semantics. Each platform
// converts at its own boundary with the operating system.
using Text = std::string;

// Joins the parts into `out`. `out` is written only on success, so an
// allocation failure leaves it as it was and comes back as a status.
Status Join(Text& out, std::initializer_list<std::string_view> parts) noexcept;

// A copy of `value` in `out`, on the same terms as Join.
inline Status Assign(Text& out, std::string_view value) noexcept
{
    return Join(out, {value});
}

}  // namespace platform
