#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text on its way to the user's screen, in any message box. Any text can
// reach a box through a person's setters, so none of it may reach the screen
// raw, and every platform shows it the same way.
namespace platform {

// The text as valid UTF-8 that shows exactly what it holds: invalid bytes
// become U+FFFD, control characters are shown in caret notation (ESC as
// "^[", NUL as "^@"), C1 controls and the characters that reorder or hide
// the text around them as "<U+202E>". A line break stays one only where
// `keep_line_breaks` is set. Throws std::bad_alloc.
std::string VisibleText(std::string_view text, bool keep_line_breaks);

// Decodes the UTF-8 code point at `pos` and moves past it; an invalid or
// cut-off sequence gives U+FFFD and moves past the bytes read of it.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos) noexcept;

}  // namespace platform
