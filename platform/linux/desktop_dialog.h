#pragma once

#include <chrono>
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

// A helper's version as it reports it; 0.0 where it could not be read.
struct Version {
    int major = 0;
    int minor = 0;
    friend auto operator<=>(const Version&, const Version&) = default;
};

// Which of the displays the session names answer.
struct Displays {
    bool wayland = false;
    bool x = false;
    bool Any() const noexcept { return wayland || x; }
};

struct DialogHelper {
    Helper kind;
    std::string path;
    Version version;
    Displays displays;  // where its toolkit is to show the dialog
};

// The helper's version from its "--version", which may take a second (zenity
// starts GTK for it), so it is read once, at start. A helper that has not
// answered within `limit` is ended, its version unknown. Fails only where the
// helper cannot be started at all: its file cannot be run (a broken
// interpreter line, another architecture), no process can be made, or no
// file for its output.
Status ReadVersion(DialogHelper& helper, std::chrono::milliseconds limit = std::chrono::seconds(10)) noexcept;

// The first of `candidates` that starts, where a display answers, its version
// read. Where one cannot start, the next is tried; `unstartable` then tells
// the user which could not and why, one line each.
std::optional<DialogHelper> FirstThatStarts(std::vector<DialogHelper> candidates, Displays displays,
                                            std::string& unstartable) noexcept;

// The helper's arguments for one box, after its name, as that version takes
// them. Every text is shown exactly as it stands, in one "--option=value"
// argument, so none can be read as an option of its own.
// Throws std::bad_alloc.
std::vector<std::string> DialogArguments(const DialogHelper& helper, std::string_view prompt, BoxStyle style,
                                         std::string_view title);

// The helper's environment: the caller's (display, theme, language), with the
// exit codes zenity reads from it at their meaning for a message box (all of
// OK, Escape and the close button exit 0), and a locale the helper can take:
// every category's installed, the characters' UTF-8 as every text is. Its
// toolkit is told to use the kind of display that answers where only one
// does (see DialogHelper::displays).
// Throws std::bad_alloc.
std::vector<std::string> HelperEnvironment(const char* const* environment, Displays displays);

// Whether the helper's exit code means the user dismissed the box: zenity
// (with the environment above) exits 0 for that; kdialog 0 for OK and 2 for
// Escape and the close button, and 1 for its own errors.
bool Dismissed(Helper helper, int exit_code) noexcept;

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
