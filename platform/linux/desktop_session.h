#pragma once

#include <vector>

#include "platform/linux/desktop_dialog.h"

// Whether this run has a desktop to show dialogs on, and which helper shows
// them.
namespace platform::desktop {

// What the environment says of the desktop session.
struct Session {
    const char* wayland_display = nullptr;  // WAYLAND_DISPLAY
    const char* display = nullptr;          // DISPLAY
    const char* runtime_dir = nullptr;      // XDG_RUNTIME_DIR, where Wayland's socket lies
    const char* current_desktop = nullptr;  // XDG_CURRENT_DESKTOP, such as "KDE" or "ubuntu:GNOME"
    const char* search_path = nullptr;      // PATH
    const char* xauthority = nullptr;       // XAUTHORITY, the user's X cookies
    const char* home = nullptr;             // HOME, whose .Xauthority is the default

    static Session FromEnvironment() noexcept;
};

// Which of the named displays (either variable set and not empty) answer,
// each within two seconds, the lookup of a host name and the reading of the
// Xauthority file included: an X server accepts this user's connection on the
// screen DISPLAY names, both read as X clients read them, with the
// authorisation they send; a Wayland compositor answers a request. A display
// that is named but gone, hung or refusing, as in an SSH session whose
// forwarding has ended or after `su`, is no desktop to show dialogs on. Both
// are asked, since the helper's toolkit is told which kind to use.
Displays DisplayAnswers(const Session& session) noexcept;

// The helpers there are to show dialogs with, where a display is named, in
// the order to try them: zenity first, kdialog first in a KDE session. Only
// absolute folders of the search path are searched, and only a regular
// executable file counts. Whether they start is not tried here.
std::vector<DialogHelper> FindDialogHelpers(const Session& session) noexcept;

}  // namespace platform::desktop
