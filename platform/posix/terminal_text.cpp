#include "platform/posix/terminal_text.h"

#include <algorithm>

#include "platform/visible_text.h"

namespace platform::terminal {
namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// Combining marks, variation selectors and zero-width characters.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},   {0x064B, 0x065F},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF},   {0x200B, 0x200D},
    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xE0100, 0xE01EF},
};

// East Asian wide and fullwidth characters, and emoji.
constexpr Range kDoubleWidth[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x25FD, 0x25FE},
    {0x2614, 0x2615},   {0x2648, 0x2653},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26F5, 0x26F5},
    {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},   {0x274C, 0x274C},
    {0x2753, 0x2755},   {0x2795, 0x2797},   {0x2B1B, 0x2B1C},   {0x2E80, 0x303E},   {0x3041, 0x33FF},
    {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},
    {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F900, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD},
};

template <std::size_t N>
bool In(const Range (&ranges)[N], char32_t c)
{
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [c](const Range& range) { return c >= range.first && c <= range.last; });
}

int Width(char32_t c)
{
    if (In(kZeroWidth, c)) {
        return 0;
    }
    return In(kDoubleWidth, c) ? 2 : 1;
}

// Splits a sanitized text into its code points, each with its bytes and width.
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
