#include "platform/windows/utf16.h"

#include <climits>
#include <new>

#include "platform/windows/win32.h"

namespace platform::windows {

Status ToUtf16(std::string_view text, std::wstring& out) noexcept
{
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        return kOutOfMemory;
    }
    const int length = static_cast<int>(text.size());
    // Without MB_ERR_INVALID_CHARS, invalid sequences become U+FFFD.
    const int wide_length = length == 0 ? 0 : ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (length != 0 && wide_length == 0) {
        return Status::FromWindowsError(::GetLastError());
    }
    try {
        std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
        if (wide_length != 0) {
            ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), wide_length);
        }
        out = std::move(wide);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

std::string ToUtf8(std::wstring_view text)
{
    const int length = static_cast<int>(text.size());
    const int narrow_length =
        length == 0 ? 0 : ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(narrow_length), '\0');
    if (narrow_length != 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, narrow.data(), narrow_length, nullptr, nullptr);
    }
    return narrow;
}

}  // namespace platform::windows
