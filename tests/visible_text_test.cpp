// Text on its way to a box, the same on every platform.
#include <string>

#include <gtest/gtest.h>

#include "platform/visible_text.h"

using platform::VisibleText;

TEST(VisibleText, ControlCharactersAreShownNotSent)
{
    EXPECT_EQ(VisibleText("\x1b[31mred\x1b[0m", false), "^[[31mred^[[0m");
    EXPECT_EQ(VisibleText("a\tb\rc\x7f\x07", false), "a^Ib^Mc^?^G");
    EXPECT_EQ(VisibleText("line\nbreak", false), "line^Jbreak");
    EXPECT_EQ(VisibleText("line\nbreak", true), "line\nbreak");
    EXPECT_EQ(VisibleText(std::string("nul\0here", 8), false), "nul^@here");
    EXPECT_EQ(VisibleText("\u009B31m", false), "<U+009B>31m");        // C1 CSI
    EXPECT_EQ(VisibleText("abc\u202Efed", false), "abc<U+202E>fed");  // right-to-left override
    EXPECT_EQ(VisibleText("Zíbal žluťoučký 日本", false), "Zíbal žluťoučký 日本");
}

TEST(VisibleText, InvalidUtf8BecomesReplacementCharacters)
{
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(VisibleText("a\377b", false), "a" + r + "b");
    EXPECT_EQ(VisibleText("\xC0\xAF", false), r + r);       // overlong '/'
    EXPECT_EQ(VisibleText("\xED\xA0\x80", false), r);       // surrogate
    EXPECT_EQ(VisibleText("\xF4\x90\x80\x80", false), r);   // beyond U+10FFFF
    EXPECT_EQ(VisibleText("cut \xC5", false), "cut " + r);  // cut off at the end
    EXPECT_EQ(VisibleText("\xE2\x82x", false), r + "x");    // cut off before a letter
    EXPECT_EQ(VisibleText("\xC2\x1B", false), r + "^[");    // never swallows an escape
}
