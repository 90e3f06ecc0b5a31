// The terminal box renderer on any bytes: never crashes, and never sends a
// raw control character (C0, DEL or C1) or invalid UTF-8 to the terminal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/posix/terminal_box.h"

namespace {

// Only line breaks of our own, printable characters and valid UTF-8.
void CheckSafe(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if ((c < 0x20 && c != '\n') || c == 0x7F) {
                std::abort();
            }
            ++i;
            continue;
        }
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > text.size()) {
            std::abort();
        }
        char32_t code = c & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) {
                std::abort();
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code >= 0x80 && code <= 0x9F) {
            std::abort();
        }
        i += length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) {
        return 0;
    }
    // The first byte picks the style and the terminal's width; the rest up to
    // the first NUL is the title, after it the prompt.
    const auto style = data[0] % 3 == 0   ? platform::BoxStyle::Plain
                       : data[0] % 3 == 1 ? platform::BoxStyle::Warning
                                          : platform::BoxStyle::Information;
    const int columns = data[1];
    const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t split = rest.find('\0');
    const std::string_view title = rest.substr(0, split);
    const std::string_view prompt = split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);

    CheckSafe(platform::terminal::RenderFramedBox(prompt, style, title, columns));
    CheckSafe(platform::terminal::RenderPlainLine(prompt, style, title));
    return 0;
}
