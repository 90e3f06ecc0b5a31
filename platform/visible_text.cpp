#include "platform/visible_text.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Range {
    char32_t first;
    char32_t last;
};

// Characters that reorder or hide the text around them.
constexpr Range kShownAsCode[] = {
    {0x0080, 0x009F}, {0x061C, 0x061C}, {0x200E, 0x200F}, {0x2028, 0x202E}, {0x2066, 0x2069}, {0xFEFF, 0xFEFF},
};

bool ShownAsCode(char32_t c)
{
    return std::any_of(std::begin(kShownAsCode), std::end(kShownAsCode),
                       [c](const Range& range) { return c >= range.first && c <= range.last; });
}

void EncodeUtf8(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

char32_t DecodeUtf8(std::string_view text, std::size_t& pos) noexcept
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07u, least = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    std::size_t read = 1;
    for (; read < length && pos + read < text.size(); ++read) {
        const auto next = static_cast<unsigned char>(text[pos + read]);
        if ((next & 0xC0u) != 0x80u) {
            break;
        }
        c = (c << 6) | (next & 0x3Fu);
    }
    pos += read;
    if (read < length || c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return kReplacement;
    }
    return c;
}

std::string VisibleText(std::string_view text, bool keep_line_breaks)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t c = DecodeUtf8(text, pos);
        if (c == '\n' && keep_line_breaks) {
            out += '\n';
        } else if (c < 0x20 || c == 0x7F) {
            out += '^';
            out += static_cast<char>(c ^ 0x40);
        } else if (ShownAsCode(c)) {
            char code[16];
            std::snprintf(code, sizeof code, "<U+%04X>", static_cast<unsigned>(c));
            out += code;
        } else {
            EncodeUtf8(c, out);
        }
    }
    return out;
}

}  // namespace platform
