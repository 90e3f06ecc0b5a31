#include "platform/posix/terminal_charset.h"

#include <cerrno>
#include <memory>
#include <type_traits>
#include <utility>

#include <iconv.h>
#include <langinfo.h>

namespace platform::terminal {
namespace {

// Made once, at first use.
locale_t Utf8Locale() noexcept
{
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    return utf8;
}

// Converts with iconv; what cannot be converted at all becomes "?".
std::string Convert(std::string_view text, const std::string& from, const std::string& to)
{
    const InUtf8Locale transliteration;
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

struct FreeLocale {
    void operator()(locale_t locale) const noexcept { ::freelocale(locale); }
};
using Locale = std::unique_ptr<std::remove_pointer_t<locale_t>, FreeLocale>;

// The C library's locale `name` (empty: C) for the categories of `mask`, or
// none where it has none; newlocale would read "" from the environment.
Locale OpenLocale(std::string_view name, int mask)
{
    return Locale(::newlocale(mask, name.empty() ? "C" : std::string(name).c_str(), nullptr));
}

}  // namespace

InUtf8Locale::InUtf8Locale() noexcept : previous_(Utf8Locale() != nullptr ? ::uselocale(Utf8Locale()) : nullptr) {}

InUtf8Locale::~InUtf8Locale()
{
    if (previous_ != nullptr) {
        ::uselocale(previous_);
    }
}

TerminalCharset::TerminalCharset(std::string_view locale)
{
    std::string charset;
    // A name that says UTF-8 means UTF-8, installed or not: asking the C
    // library would load the locale's data, a quarter of a whole run.
    if (!locale.empty() && locale != "C" && locale != "POSIX" && !IsUtf8Charset(CharsetOf(locale))) {
        charset = InstalledCharset(locale);
    }
    if (charset.empty()) {
        charset = CharsetOf(locale);
    }
    if (!IsUtf8Charset(charset)) {
        charset_ = std::move(charset);
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

std::string_view EnvironmentValue(const char* const* environment, std::string_view name) noexcept
{
    for (const char* const* entry = environment; *entry != nullptr; ++entry) {
        const std::string_view text = *entry;
        if (text.starts_with(name) && text.size() > name.size() && text[name.size()] == '=') {
            return text.substr(name.size() + 1);
        }
    }
    return {};
}

std::string_view CategoryLocale(const char* const* environment, std::string_view category) noexcept
{
    for (const std::string_view variable : {std::string_view("LC_ALL"), category, std::string_view("LANG")}) {
        if (const std::string_view value = EnvironmentValue(environment, variable); !value.empty()) {
            return value;
        }
    }
    return {};
}

std::string_view CharacterLocale(const char* const* environment) noexcept
{
    return CategoryLocale(environment, "LC_CTYPE");
}

bool LocaleInstalled(std::string_view name)
{
    return OpenLocale(name, LC_ALL_MASK) != nullptr;
}

std::string InstalledCharset(std::string_view name)
{
    const Locale locale = OpenLocale(name, LC_CTYPE_MASK);
    return locale ? ::nl_langinfo_l(CODESET, locale.get()) : "";
}

std::string_view CharsetOf(std::string_view locale) noexcept
{
    const std::size_t dot = locale.find('.');
    return dot == std::string_view::npos ? std::string_view() : locale.substr(dot + 1, locale.find('@', dot) - dot - 1);
}

bool IsUtf8Charset(std::string_view charset) noexcept
{
    std::string_view rest = "utf8";
    for (const char c : charset) {
        if (c == '-' || c == '_') {
            continue;
        }
        if (rest.empty() || (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != rest.front()) {
            return false;
        }
        rest.remove_prefix(1);
    }
    return rest.empty();
}

}  // namespace platform::terminal
