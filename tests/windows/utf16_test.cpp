#include <string>
#include <string_view>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/windows/utf16.h"
#include "platform/windows/win32_box.h"

using platform::windows::ToUtf16;
using platform::windows::ToUtf8;

// Each text to UTF-16, and that back to the third: Czech letters exact, a
// character outside the basic plane as a surrogate pair, invalid UTF-8 as
// U+FFFD.
TEST(Utf16, ConvertsExactlyBothWays)
{
    const std::tuple<std::string_view, std::wstring_view, std::string_view> cases[] = {
        {"Informace o Osobě", L"Informace o Osob\u011B", "Informace o Osobě"},
        {"áéíýčěšžů", L"\u00E1\u00E9\u00ED\u00FD\u010D\u011B\u0161\u017E\u016F", "áéíýčěšžů"},
        {"\xF0\x9F\x98\x80", L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
        {"", L"", ""},
        {"a\377b", L"a\uFFFDb", "a\uFFFDb"},
    };
    for (const auto& [text, wide, back] : cases) {
        std::wstring out = L"left over";
        ASSERT_EQ(ToUtf16(text, out), platform::kOk) << text;
        EXPECT_EQ(out, wide);
        EXPECT_EQ(ToUtf8(out), back);
    }
}

// As on every platform: a NUL would cut the text short for MessageBoxW, and
// U+202E reverse what follows. A prompt's line breaks are the box's, a
// title's shown; a carriage return is no line break of its own.
TEST(BoxText, IsVisibleAsOnEveryPlatform)
{
    for (const auto& [text, prompt, wide] : {
             std::tuple{std::string_view("nul\0here", 8), false, L"nul^@here"},
             {"abc\u202Efed\nZíbal", true, L"abc<U+202E>fed\nZ\u00EDbal"},
             {"a\nb", false, L"a^Jb"},
             {"a\r\nb", true, L"a^M\nb"},
         }) {
        std::wstring out;
        ASSERT_EQ(platform::windows::BoxText(text, prompt, out), platform::kOk);
        EXPECT_EQ(out, wide);
    }
}
