#pragma once

#include <string>
#include <string_view>
#include <vector>

// Text on its way to the user's screen, in a terminal or a dialog. Any text
// can reach a message box through a person's setters, so none of it may
// reach the screen raw.
namespace platform::terminal {

// The text as valid UTF-8 that shows exactly what it holds: invalid bytes
// become U+FFFD, control characters are shown in caret notation (ESC as
// "^["), C1 controls and bidirectional overrides as "<U+202E>". A line break
// stays one only where `keep_line_breaks` is set. Throws std::bad_alloc.
std::string Sanitize(std::string_view text, bool keep_line_breaks);

// The columns a sanitized text takes on a terminal: combining marks take
// none, East Asian wide characters and emoji two.
int DisplayWidth(std::string_view safe_text) noexcept;

// A sanitized text broken into lines of at most `width` columns: at line
// breaks, between words, and inside a word too long for a line.
// Throws std::bad_alloc.
std::vector<std::string> Wrap(std::string_view safe_text, int width);

// A sanitized single-line text cut to at most `width` columns, with "…"
// where it was cut. Throws std::bad_alloc.
std::string Fit(std::string_view safe_text, int width);

}  // namespace platform::terminal
