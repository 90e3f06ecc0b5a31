#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime.h"

// Message boxes as real dialogs of a Linux desktop, shown by a dialog helper
// program. Starting a helper keeps every GUI toolkit out of the program, so a
// run in a terminal costs nothing for it.
namespace platform::desktop {

enum class Helper { Zenity, KDialog };

// A helper's version as it reports it; 0.0 where it could not be read.
struct Version {
    int major = 0;
    int minor = 0;
    friend auto operator<=>(const Version&, const Version&) = default;
};

struct DialogHelper {
    Helper kind;
    std::string path;
    Version version;
};

// The helper's version from its "--version", which may take a second (zenity
// starts GTK for it), so it is read once, at start. A helper that has not
// answered within `limit` is ended, its version unknown.
Version ReadVersion(const std::string& path, std::chrono::milliseconds limit = std::chrono::seconds(10)) noexcept;

// The helper's arguments for one box, after its name, as that version takes
// them. Every text is shown exactly as it stands, in one "--option=value"
// argument, so none can be read as an option of its own.
// Throws std::bad_alloc.
std::vector<std::string> DialogArguments(const DialogHelper& helper, std::string_view prompt, BoxStyle style,
                                         std::string_view title);

// The helper's environment: the caller's (display, theme, language), with the
// exit codes zenity reads from it at their meaning for a message box (all of
// OK, Escape and the close button exit 0), and a locale the helper can take:
// every category's installed, the characters' UTF-8 as every text is.
// Throws std::bad_alloc.
std::vector<std::string> HelperEnvironment(const char* const* environment);

// Whether the helper's exit code means the user dismissed the box: zenity
// (with the environment above) exits 0 for that; kdialog 0 for OK and 2 for
// Escape and the close button, and 1 for its own errors.
bool Dismissed(Helper helper, int exit_code) noexcept;

// Shows each box through the helper and waits until the user closes it: OK,
// the close button and Escape all dismiss it. A helper that fails, crashes
// or cannot start is a failed box; what it said goes to standard error. If
// the program is ended by SIGTERM, SIGHUP or SIGINT meanwhile, the dialog is
// closed and the program ends as that signal ends it.
class DesktopDialogMsgBox final : public MsgBoxService {
public:
    explicit DesktopDialogMsgBox(DialogHelper helper) noexcept;
    Status Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept override;

private:
    DialogHelper helper_;
};

}  // namespace platform::desktop
