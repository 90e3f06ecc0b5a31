#pragma once

#include "platform/runtime.h"

namespace platform::web {

// The message box in a browser: a modal dialog of the page.
class DialogMsgBox final : public MsgBoxService {
public:
    Status Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept override;
};

// Shows one box with the texts as they stand; both are visible text already.
Status ShowPageBox(const char* prompt, const char* title, const char* icon) noexcept;

}  // namespace platform::web
