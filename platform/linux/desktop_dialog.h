#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime.h"

// Message boxes as real dialogs of a Linux desktop, shown by a dialog helper
// program. Starting a helper keeps every GUI toolkit out of the program, so a
// run in a terminal costs nothing for it.
namespace platform::desktop {

enum class Helper { Zenity, KDialog };

struct DialogHelper {
    Helper kind;
    std::string path;
};

// The helper to show dialogs with: only where a desktop session is reachable
// (either display variable set and not empty), zenity first, else kdialog,
// looked up in `search_path`. None where either is missing.
std::optional<DialogHelper> FindDialogHelper(const char* wayland_display, const char* display,
                                             const char* search_path) noexcept;

// The helper's arguments for one box, after its name. Every text goes in one
// "--option=value" argument, so none can be read as an option of its own.
// Throws std::bad_alloc.
std::vector<std::string> DialogArguments(Helper helper, std::string_view prompt, BoxStyle style,
                                         std::string_view title);

// Shows each box through the helper and waits until the user closes it: OK,
// the close button and Escape all dismiss it.
class DesktopDialogMsgBox final : public MsgBoxService {
public:
    explicit DesktopDialogMsgBox(DialogHelper helper) noexcept;
    Status Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept override;

private:
    DialogHelper helper_;
};

}  // namespace platform::desktop
