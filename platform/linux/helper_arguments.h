#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/display_probe.h"
#include "platform/linux/helper_choice.h"
#include "platform/runtime.h"

// What a helper is given and what its exit means: its arguments for a box,
// as its version takes them, and its environment.
namespace platform::desktop {

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

}  // namespace platform::desktop
