#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform::windows {

// The program's UTF-8 text as the UTF-16 that Windows takes. Invalid UTF-8
// becomes U+FFFD. `out` is written only on success.
Status ToUtf16(std::string_view text, std::wstring& out) noexcept;

// Windows' UTF-16 as the program's UTF-8 text. Throws std::bad_alloc.
std::string ToUtf8(std::wstring_view text);

}  // namespace platform::windows
