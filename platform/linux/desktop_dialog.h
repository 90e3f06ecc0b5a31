#pragma once

#include <string>
#include <string_view>

#include "platform/linux/helper_choice.h"
#include "platform/runtime.h"

// Message boxes as real dialogs of a Linux desktop, shown by a dialog helper
// program. Starting a helper keeps every GUI toolkit out of the program, so a
// run in a terminal costs nothing for it.
namespace platform::desktop {

// Shows each box through the helper and waits until the user closes it: OK,
// the close button and Escape all dismiss it. A helper that fails, crashes
// or cannot start is a failed box; what it said goes to standard error. If
// the program is ended by a signal meanwhile, the dialog is closed (the
// helper's whole process group) and, for a signal the program can see, the
// program then ends as that signal ends it; for one it cannot (SIGKILL, a
// crash), the kernel ends the helper.
class DesktopDialogMsgBox final : public MsgBoxService {
public:
    explicit DesktopDialogMsgBox(DialogHelper helper) noexcept;
    Status Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept override;

private:
    DialogHelper helper_;
};

// Another box, used where no helper could start: where that box fails too,
// the user reads first which helper could not start and why.
class AfterUnstartableHelper final : public MsgBoxService {
public:
    AfterUnstartableHelper(MsgBoxService& box, std::string unstartable) noexcept;
    Status Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept override;

private:
    MsgBoxService& box_;
    std::string unstartable_;
};

}  // namespace platform::desktop
