// Text on its way to a box, the same on every platform.
#include <string>
#include <utility>

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

TEST(VisibleText, ShowsAsCodesExactlyTheCharactersThatHideOrReorderTextAndInvalidUtf8AsReplacements)
{
    // Each range of the controls, separators and bidirectional controls that
    // Unicode names, at both its ends, and its neighbours. Then invalid UTF-8:
    // an overlong '/', 'é' and U+FFFF, a surrogate, beyond U+10FFFF, cut off at the end and
    // before a letter, and never swallowing an escape.
    const std::pair<const char*, const char*> cases[] = {
        {"\u0080", "<U+0080>"},       {"\u009F", "<U+009F>"},         {"\u061C", "<U+061C>"},
        {"\u200E", "<U+200E>"},       {"\u200F", "<U+200F>"},         {"\u2028", "<U+2028>"},
        {"\u202E", "<U+202E>"},       {"\u2066", "<U+2066>"},         {"\u2069", "<U+2069>"},
        {"\u2029", "<U+2029>"},       {"\u00A0", "\u00A0"},           {"\u061B", "\u061B"},
        {"\u061D", "\u061D"},         {"\u200D", "\u200D"},           {"\u2027", "\u2027"},
        {"\u202F", "\u202F"},         {"\u2065", "\u2065"},           {"\u206A", "\u206A"},
        {"\u202A", "<U+202A>"},       {"\x1F\x20\x7E\x7F", "^_ ~^?"}, {"a\377b", "a\uFFFDb"},
        {"\xC0\xAF", "\uFFFD\uFFFD"}, {"\xED\xA0\x80", "\uFFFD"},     {"\xF4\x90\x80\x80", "\uFFFD"},
        {"cut \xC5", "cut \uFFFD"},   {"\xE2\x82x", "\uFFFDx"},       {"\xC2\x1B", "\uFFFD^["},
        {"\xE0\x83\xA9", "\uFFFD"},   {"\xF0\x8F\xBF\xBF", "\uFFFD"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(VisibleText(text, false), shown);
    }
}
