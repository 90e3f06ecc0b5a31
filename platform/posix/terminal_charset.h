#pragma once

#include <string>
#include <string_view>

#include <locale.h>

namespace platform::terminal {

// While it lives, the calling thread takes characters as the C library's
// UTF-8 locale does: widths as terminals count them, and transliteration
// with the full table (the C locale's has no "ě" -> "e"). The program's own
// locale stays as it is. Where that locale is missing, nothing changes.
class InUtf8Locale {
public:
    InUtf8Locale() noexcept;
    ~InUtf8Locale();
    InUtf8Locale(const InUtf8Locale&) = delete;
    InUtf8Locale& operator=(const InUtf8Locale&) = delete;

private:
    locale_t previous_;
};

// The character set a terminal shows, as its locale has it. Most are UTF-8,
// the program's own; another ("cs_CZ.ISO-8859-2", "cs_CZ") gets every
// text converted, with what it lacks transliterated, since UTF-8's bytes are
// garbage to it and some (0x90, 0x9B) even control codes.
class TerminalCharset {
public:
    // `locale`: the name the C library would take for LC_CTYPE (see
    // CharacterLocale). An installed locale's charset is the C library's; a
    // missing one's, the one its name names. The C locale ("C", "POSIX",
    // none at all), and a missing one that names none, say nothing of the
    // terminal: taken for UTF-8, as most terminals today are.
    // Throws std::bad_alloc.
    explicit TerminalCharset(std::string_view locale);

    bool IsUtf8() const noexcept { return charset_.empty(); }
    // The text as UTF-8 that holds only what the charset can show: the rest
    // transliterated ("ž" stays in Latin-2, "→" becomes "->"), or "?".
    // Throws std::bad_alloc.
    std::string Showable(std::string_view text) const;
    // The text in the charset's own bytes. Throws std::bad_alloc.
    std::string Encode(std::string_view text) const;

private:
    std::string charset_;  // empty for UTF-8
};

// The value of `name` in an environment of "NAME=value" entries; empty where
// it is not set.
std::string_view EnvironmentValue(const char* const* environment, std::string_view name) noexcept;

// The locale name the C library takes for the category whose variable is
// `category` ("LC_TIME"): LC_ALL, else that variable, else LANG, the first
// that is not empty; empty where none is, which is the C locale.
std::string_view CategoryLocale(const char* const* environment, std::string_view category) noexcept;

// The locale name the C library takes for characters (LC_CTYPE).
std::string_view CharacterLocale(const char* const* environment) noexcept;

// Whether the C library has the locale `name` (empty: C). Throws std::bad_alloc.
bool LocaleInstalled(std::string_view name);

// The character set of the locale `name` as the C library has it, whatever
// the name says or does not ("ISO-8859-2" for "cs_CZ"); empty where no such
// locale is installed. Throws std::bad_alloc.
std::string InstalledCharset(std::string_view name);

// The character set a locale name names: "ISO-8859-2" of
// "cs_CZ.ISO-8859-2@euro"; empty where it names none.
std::string_view CharsetOf(std::string_view locale) noexcept;

// Whether a character set's name is UTF-8's, however written ("utf8").
bool IsUtf8Charset(std::string_view charset) noexcept;

}  // namespace platform::terminal
