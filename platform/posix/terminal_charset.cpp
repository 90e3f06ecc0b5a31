#include "platform/posix/terminal_charset.h"

#include <cerrno>
#include <cstdlib>

#include <iconv.h>

namespace platform::terminal {
namespace {

// Converts with iconv; what cannot be converted at all becomes "?".
std::string Convert(std::string_view text, const std::string& from, const std::string& to)
{
    const iconv_t converter = ::iconv_open(to.c_str(), from.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::string(text);
    }
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    std::size_t in_left = text.size();
    while (in_left > 0) {
        char* put = buffer;
        std::size_t put_left = sizeof buffer;
        const std::size_t done = ::iconv(converter, &in, &in_left, &put, &put_left);
        out.append(buffer, static_cast<std::size_t>(put - buffer));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // A character the charset lacks even transliterated, or a byte
            // that is no character: one "?" for it.
            out += '?';
            ++in;
            --in_left;
            while (in_left > 0 && (static_cast<unsigned char>(*in) & 0xC0u) == 0x80u) {
                ++in;
                --in_left;
            }
        }
    }
    ::iconv_close(converter);
    return out;
}

}  // namespace

TerminalCharset::TerminalCharset(const char* locale)
{
    const std::string_view name = locale ? locale : "";
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) {
        return;
    }
    const std::string charset(name.substr(dot + 1, name.find('@', dot) - dot - 1));
    std::string folded;
    for (const char c : charset) {
        if (c != '-' && c != '_') {
            folded += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
    }
    if (folded != "utf8" && !folded.empty()) {
        charset_ = charset;
    }
}

std::string TerminalCharset::Showable(std::string_view text) const
{
    return IsUtf8() ? std::string(text) : Convert(Convert(text, "UTF-8", charset_ + "//TRANSLIT"), charset_, "UTF-8");
}

std::string TerminalCharset::Encode(std::string_view text) const
{
    return IsUtf8() ? std::string(text) : Convert(text, "UTF-8", charset_);
}

const char* CharacterLocale() noexcept
{
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return nullptr;
}

}  // namespace platform::terminal
