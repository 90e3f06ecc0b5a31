#pragma once

#include <string>
#include <string_view>

#include "platform/runtime.h"

namespace platform::windows {

// A text as a box shows it: visible, as on every platform (a NUL would cut
// it short, U+202E reverse what follows), in the UTF-16 of Windows. `out` is
// written only on success.
Status BoxText(std::string_view text, bool keep_line_breaks, std::wstring& out) noexcept;

// The Windows message box: MessageBoxW with no owner window, one OK button
// and the icon that the style names.
class Win32MsgBox final : public MsgBoxService {
public:
    Status Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept override;
};

}  // namespace platform::windows
