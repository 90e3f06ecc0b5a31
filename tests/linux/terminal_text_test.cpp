#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/terminal_text.h"

using namespace platform::terminal;

TEST(TerminalText, WidthCountsColumnsNotBytes)
{
    EXPECT_EQ(DisplayWidth("Informace o Osobě"), 17);
    EXPECT_EQ(DisplayWidth("áéíýčěšžů"), 9);
    EXPECT_EQ(DisplayWidth("e\xCC\x8C"), 1);      // e + combining caron
    EXPECT_EQ(DisplayWidth("日本"), 4);           // wide
    EXPECT_EQ(DisplayWidth("\xF0\x9F\x98\x80"), 2);  // emoji
    EXPECT_EQ(DisplayWidth(""), 0);
}

TEST(TerminalText, ControlCharactersAreShownNotSent)
{
    EXPECT_EQ(Sanitize("\x1b[31mred\x1b[0m", false), "^[[31mred^[[0m");
    EXPECT_EQ(Sanitize("a\tb\rc\x7f\x07", false), "a^Ib^Mc^?^G");
    EXPECT_EQ(Sanitize("line\nbreak", false), "line^Jbreak");
    EXPECT_EQ(Sanitize("line\nbreak", true), "line\nbreak");
    EXPECT_EQ(Sanitize(std::string("nul\0here", 8), false), "nul^@here");
    EXPECT_EQ(Sanitize("\xC2\x9B" "31m", false), "<U+009B>31m");          // C1 CSI
    EXPECT_EQ(Sanitize("abc\xE2\x80\xAE" "fed", false), "abc<U+202E>fed");  // right-to-left override
    EXPECT_EQ(Sanitize("Zíbal žluťoučký 日本", false), "Zíbal žluťoučký 日本");
}

TEST(TerminalText, InvalidUtf8BecomesReplacementCharacters)
{
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(Sanitize("a\xFF" "b", false), "a" + r + "b");
    EXPECT_EQ(Sanitize("\xC0\xAF", false), r + r);                // overlong '/'
    EXPECT_EQ(Sanitize("\xED\xA0\x80", false), r);                // surrogate
    EXPECT_EQ(Sanitize("\xF4\x90\x80\x80", false), r);            // beyond U+10FFFF
    EXPECT_EQ(Sanitize("cut \xC5", false), "cut " + r);           // cut off at the end
    EXPECT_EQ(Sanitize("\xE2\x82" "x", false), r + "x");          // cut off before a letter
    EXPECT_EQ(Sanitize("\xC2\x1B", false), r + "^[");             // never swallows an escape
}

TEST(TerminalText, WrapsBetweenWordsWithinTheWidth)
{
    EXPECT_EQ(Wrap("Vkládané Datum narození je menší než současné datum", 20),
              (std::vector<std::string>{"Vkládané Datum", "narození je menší", "než současné datum"}));
    EXPECT_EQ(Wrap("short", 20), (std::vector<std::string>{"short"}));
    EXPECT_EQ(Wrap("", 20), (std::vector<std::string>{""}));
    EXPECT_EQ(Wrap(" Zíbal", 20), (std::vector<std::string>{" Zíbal"}));
    EXPECT_EQ(Wrap("a\n\nb", 20), (std::vector<std::string>{"a", "", "b"}));
}

TEST(TerminalText, BreaksAWordTooLongForALine)
{
    EXPECT_EQ(Wrap("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
    EXPECT_EQ(Wrap("x 日本語", 3), (std::vector<std::string>{"x", "日", "本", "語"}));
    for (const std::string& line : Wrap("ěščřžýáíéůěščřžýáíéů ab ěščřžýáíéůěščřžýáíéů", 7)) {
        EXPECT_LE(DisplayWidth(line), 7) << line;
    }
}

TEST(TerminalText, FitCutsWithAnEllipsis)
{
    EXPECT_EQ(Fit("Informace o Osobě", 17), "Informace o Osobě");
    EXPECT_EQ(Fit("Informace o Osobě", 10), "Informace…");
    EXPECT_EQ(DisplayWidth(Fit("日本語日本語", 6)), 5);
}
