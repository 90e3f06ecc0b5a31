#include <string>

#include <gtest/gtest.h>

#include "platform/windows/utf16.h"
#include "platform/windows/win32_box.h"

using platform::windows::ToUtf16;
using platform::windows::ToUtf8;

TEST(Utf16, CzechLettersConvertExactly)
{
    std::wstring wide;
    ASSERT_EQ(ToUtf16("Informace o Osobě", wide), platform::kOk);
    EXPECT_EQ(wide, L"Informace o Osob\u011B");
    ASSERT_EQ(ToUtf16("áéíýčěšžů", wide), platform::kOk);
    EXPECT_EQ(wide, L"\u00E1\u00E9\u00ED\u00FD\u010D\u011B\u0161\u017E\u016F");
    EXPECT_EQ(ToUtf8(wide), "áéíýčěšžů");
}

TEST(Utf16, OutsideTheBasicPlaneBecomesASurrogatePair)
{
    std::wstring wide;
    ASSERT_EQ(ToUtf16("\xF0\x9F\x98\x80", wide), platform::kOk);
    EXPECT_EQ(wide, (std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)}));
    EXPECT_EQ(ToUtf8(wide), "\xF0\x9F\x98\x80");
}

TEST(Utf16, EmptyAndInvalidText)
{
    std::wstring wide = L"left over";
    ASSERT_EQ(ToUtf16("", wide), platform::kOk);
    EXPECT_EQ(wide, L"");
    ASSERT_EQ(ToUtf16("a\377b", wide), platform::kOk);
    EXPECT_EQ(wide, L"a\uFFFDb");
}

TEST(BoxText, IsVisibleAsOnEveryPlatform)
{
    std::wstring wide;
    ASSERT_EQ(platform::windows::BoxText(std::string("nul\0here", 8), false, wide), platform::kOk);
    EXPECT_EQ(wide, L"nul^@here") << "MessageBoxW would end the text at the NUL";
    ASSERT_EQ(platform::windows::BoxText("abc\u202Efed\nZíbal", true, wide), platform::kOk);
    EXPECT_EQ(wide, L"abc<U+202E>fed\nZ\u00EDbal");
}
