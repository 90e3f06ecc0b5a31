#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <malloc.h>

#include <gtest/gtest.h>

#include "tests/support/private_locales.h"

#include "platform/posix/terminal_charset.h"
#include "platform/posix/terminal_text.h"

using namespace platform::terminal;

TEST(TerminalText, WidthCountsColumnsAsTerminalsDo)
{
    EXPECT_EQ(DisplayWidth("Informace o Osobě"), 17);
    EXPECT_EQ(DisplayWidth("áéíýčěšžů"), 9);
    EXPECT_EQ(DisplayWidth(""), 0);
    // As the C library's UTF-8 locale counts them, scripts and marks that
    // tables written by hand tend to miss among them.
    const std::pair<const char*, int> samples[] = {
        {"e\u030C", 1},       // e and a combining caron
        {"\u65E5\u672C", 4},  // wide
        {"\U0001F600", 2},    // an emoji shown as such
        {"\U0001F5A5", 1},    // a symbol shown as text
        {"\U00017000", 2},    // Tangut
        {"\U0001B170", 2},    // Nushu
        {"\U0001B000", 2},    // Kana Supplement
        {"\u1160", 0},        // a Hangul medial jamo
        {"\u0915\u0901", 1},  // a Devanagari letter and its sign
        {"\u0E01\u0E31", 1},  // Thai
        {"\u0F40\u0F71", 1},  // Tibetan
        {"a\u200Bb", 2},      // a zero-width space
        {"\u0378", 1},        // unassigned: one column, as terminals show it
    };
    for (const auto& [text, width] : samples) {
        EXPECT_EQ(DisplayWidth(text), width) << text;
    }
}

TEST(TerminalText, WrapsBetweenWordsWithinTheWidthAndBreaksAWordTooLongForALine)
{
    EXPECT_EQ(Wrap("Vkládané Datum narození je menší než současné datum", 20),
              (std::vector<std::string>{"Vkládané Datum", "narození je menší", "než současné datum"}));
    EXPECT_EQ(Wrap("short", 20), (std::vector<std::string>{"short"}));
    EXPECT_EQ(Wrap("", 20), (std::vector<std::string>{""}));
    EXPECT_EQ(Wrap(" Zíbal", 20), (std::vector<std::string>{" Zíbal"}));
    EXPECT_EQ(Wrap("a\n\nb", 20), (std::vector<std::string>{"a", "", "b"}));
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

// The C library (2.36, 2.41) leaks its copy of LOCPATH, which the private
// locales set, whenever newlocale finds no such locale: no leak of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:argz_add_sep\n";
}

TEST(TerminalCharset, IsTheInstalledLocalesElseTheOneItsNameNamesOfTheFirstLocaleVariableSet)
{
    const bool legacy = testing_support::UsePrivateLocales();
    const std::tuple<std::vector<const char*>, const char*, bool> cases[] = {
        {{"LANGUAGE=cs_CZ.ISO-8859-2", "LANG=C.UTF-8"}, "ě€", false},                // LANGUAGE names languages only
        {{"LC_ALL=", "LC_CTYPE=cs_CZ.ISO-8859-2", "LANG=C.UTF-8"}, "\354?", false},  // missing: as named
        {{"LANG=de_DE.ISO-8859-15@euro"}, "?\244", false},
        {{"LANG=xx_XX.ISO-8859-2@euro"}, "\354?", false},  // missing: as named, without its modifier
        {{"LC_ALL=C", "LANG=cs_CZ.ISO-8859-2"}, "ě€", false},
        {{"LANG=cs_CZ.UTF-8"}, "ě€", false},
        {{"LANG=en_GB"}, "ě€", false},    // missing, naming none
        {{"LANG=cs_CZ"}, "\354?", true},  // installed: as the C library has it
        {{"LC_CTYPE=de_DE@euro", "LANG=cs_CZ"}, "?\244", true},
    };
    for (auto [environment, encoded, needs_legacy] : cases) {
        environment.push_back(nullptr);
        if (legacy || !needs_legacy) {
            EXPECT_EQ(TerminalCharset(CharacterLocale(environment.data())).Encode("ě€"), encoded)
                << environment.front();
        }
    }
    if (!legacy) {
        GTEST_SKIP() << "localedef or its sources (package locales) missing: installed legacy locales left out";
    }
}

TEST(TerminalCharset, ConvertsTextsOfAnyLengthAndNumberAndLeavesAnUnknownCharsetAlone)
{
    std::string text;
    for (int i = 0; i < 80; ++i) {
        text += "kůň ";  // longer than any buffer the conversion works in
    }
    const TerminalCharset latin2("cs_CZ.ISO-8859-2");
    EXPECT_EQ(latin2.Encode(text).find_first_not_of("k\371\362 "), std::string::npos) << latin2.Encode(text);
    EXPECT_EQ(latin2.Encode(text).size(), 320u);
    EXPECT_EQ(latin2.Encode("k\xC5"), "k?") << "a sequence cut off at the end";
    EXPECT_EQ(TerminalCharset("cs_CZ.BOGUS").Showable(text), text);
    // Nothing of a conversion outlives it: no converter, no locale object.
    const std::size_t before = ::mallinfo2().uordblks;
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(latin2.Showable("→"), "->");
    }
    EXPECT_LT(::mallinfo2().uordblks, before + 10000);
}
