#include "platform/posix/terminal_text.h"

#include <algorithm>
#include <cwchar>

#include <wchar.h>

#include "platform/posix/terminal_charset.h"
#include "platform/visible_text.h"

namespace platform::terminal {
namespace {

// The columns a character takes, as the C library's UTF-8 locale has it,
// which is what terminals go by.
int Width(char32_t c)
{
    const InUtf8Locale utf8;
    const int width = ::wcwidth(static_cast<wchar_t>(c));
    // No width at all: unassigned, which a terminal shows as one column.
    return width < 0 ? 1 : width;
}

// Splits a visible text into its code points, each with its bytes and width.
struct Glyph {
    std::string_view bytes;
    int width;
};

Glyph NextGlyph(std::string_view text, std::size_t& pos)
{
    const std::size_t start = pos;
    const char32_t c = DecodeUtf8(text, pos);
    return {text.substr(start, pos - start), Width(c)};
}

// The line being filled: its columns, and whether a word (even an empty one,
// from a leading or doubled space) is on it, so the next one needs a space.
struct LineState {
    int used = 0;
    bool has_word = false;
};

void StartLine(std::vector<std::string>& lines, LineState& line)
{
    lines.emplace_back();
    line = {};
}

// Appends one word to the lines, breaking it where it is wider than a line.
void PlaceWord(std::string_view word, int width, std::vector<std::string>& lines, LineState& line)
{
    const int word_width = DisplayWidth(word);
    if (line.has_word && line.used + 1 + word_width <= width) {
        lines.back() += ' ';
        lines.back() += word;
        line.used += 1 + word_width;
        return;
    }
    if (line.has_word) {
        StartLine(lines, line);
    }
    line.has_word = true;
    for (std::size_t pos = 0; pos < word.size();) {
        const Glyph glyph = NextGlyph(word, pos);
        if (line.used > 0 && line.used + glyph.width > width) {
            StartLine(lines, line);
            line.has_word = true;
        }
        lines.back() += glyph.bytes;
        line.used += glyph.width;
    }
}

}  // namespace

int DisplayWidth(std::string_view safe_text) noexcept
{
    int width = 0;
    for (std::size_t pos = 0; pos < safe_text.size();) {
        width += NextGlyph(safe_text, pos).width;
    }
    return width;
}

std::vector<std::string> Wrap(std::string_view safe_text, int width)
{
    width = std::max(width, 2);  // room for one wide character
    std::vector<std::string> lines;
    for (;;) {
        const std::size_t end_of_line = safe_text.find('\n');
        std::string_view paragraph = safe_text.substr(0, end_of_line);
        LineState line;
        StartLine(lines, line);
        for (;;) {
            const std::size_t space = paragraph.find(' ');
            PlaceWord(paragraph.substr(0, space), width, lines, line);
            if (space == std::string_view::npos) {
                break;
            }
            paragraph.remove_prefix(space + 1);
        }
        if (end_of_line == std::string_view::npos) {
            return lines;
        }
        safe_text.remove_prefix(end_of_line + 1);
    }
}

std::string Fit(std::string_view safe_text, int width)
{
    if (DisplayWidth(safe_text) <= width) {
        return std::string(safe_text);
    }
    std::string out;
    int used = 0;
    for (std::size_t pos = 0; pos < safe_text.size();) {
        const Glyph glyph = NextGlyph(safe_text, pos);
        if (used + glyph.width > width - 1) {
            break;
        }
        out += glyph.bytes;
        used += glyph.width;
    }
    return out + "…";
}

}  // namespace platform::terminal
