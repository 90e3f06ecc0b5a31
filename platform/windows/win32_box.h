#pragma once

#include "platform/runtime.h"

namespace platform::windows {

// The Windows message box: MessageBoxW with no owner window, one OK button
// and the icon that the style names.
class Win32MsgBox final : public MsgBoxService {
public:
    Status Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept override;
};

}  // namespace platform::windows
