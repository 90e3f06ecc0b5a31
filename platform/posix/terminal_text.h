#pragma once

#include <string>
#include <string_view>
#include <vector>

// Visible text (platform/visible_text.h) laid out in a terminal's columns.
namespace platform::terminal {

// The columns a visible text takes on a terminal: combining marks take
// none, East Asian wide characters and emoji two.
int DisplayWidth(std::string_view safe_text) noexcept;

// A visible text broken into lines of at most `width` columns: at line
// breaks, between words, and inside a word too long for a line.
// Throws std::bad_alloc.
std::vector<std::string> Wrap(std::string_view safe_text, int width);

// A visible single-line text cut to at most `width` columns, with "…"
// where it was cut. Throws std::bad_alloc.
std::string Fit(std::string_view safe_text, int width);

}  // namespace platform::terminal
