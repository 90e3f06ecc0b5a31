#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/posix/terminal_text.h"

using namespace platform::terminal;

TEST(TerminalText, WidthCountsColumnsNotBytes)
{
    EXPECT_EQ(DisplayWidth("Informace o Osobě"), 17);
    EXPECT_EQ(DisplayWidth("áéíýčěšžů"), 9);
    EXPECT_EQ(DisplayWidth("e\xCC\x8C"), 1);         // e + combining caron
    EXPECT_EQ(DisplayWidth("日本"), 4);              // wide
    EXPECT_EQ(DisplayWidth("\xF0\x9F\x98\x80"), 2);  // emoji
    EXPECT_EQ(DisplayWidth(""), 0);
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
