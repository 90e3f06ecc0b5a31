#pragma once

#include <string>
#include <string_view>

namespace platform::terminal {

// The character set a terminal shows, as its locale names it. Most are UTF-8,
// the program's own; one that names another ("cs_CZ.ISO-8859-2") gets every
// text converted, with what it lacks transliterated, since UTF-8's bytes are
// garbage to it and some (0x90, 0x9B) even control codes.
class TerminalCharset {
public:
    // `locale`: the name the C library would take for LC_CTYPE (LC_ALL, else
    // LC_CTYPE, else LANG), or null. No charset named ("C", "POSIX", none at
    // all) is taken for UTF-8, as most terminals today are.
    explicit TerminalCharset(const char* locale);

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

// The locale's name for LC_CTYPE from the environment, or null.
const char* CharacterLocale() noexcept;

}  // namespace platform::terminal
