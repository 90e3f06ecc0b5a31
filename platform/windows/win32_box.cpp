#include "platform/windows/win32_box.h"

#include <new>

#include "platform/windows/win32.h"

#include "platform/visible_text.h"
#include "platform/windows/utf16.h"

namespace platform::windows {

// The styles are the Win32 flags themselves.
static_assert(static_cast<UINT>(BoxStyle::Plain) == MB_OK);
static_assert(static_cast<UINT>(BoxStyle::Warning) == (MB_OK | MB_ICONEXCLAMATION));
static_assert(static_cast<UINT>(BoxStyle::Information) == (MB_OK | MB_ICONINFORMATION));

Status BoxText(std::string_view text, bool keep_line_breaks, std::wstring& out) noexcept
{
    try {
        return ToUtf16(VisibleText(text, keep_line_breaks), out);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

Status Win32MsgBox::Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept
{
    std::wstring wide_prompt;
    std::wstring wide_title;
    if (const Status status = BoxText(prompt, true, wide_prompt); status.Failed()) {
        return status;
    }
    if (const Status status = BoxText(title, false, wide_title); status.Failed()) {
        return status;
    }
    // A dismissed box gives its button; 0 is a box that could not be shown,
    // and so is -1, which Wine gives where there is no display.
    if (::MessageBoxW(nullptr, wide_prompt.c_str(), wide_title.c_str(), static_cast<UINT>(style)) <= 0) {
        return Status::FromWindowsError(::GetLastError());
    }
    return kOk;
}

}  // namespace platform::windows
