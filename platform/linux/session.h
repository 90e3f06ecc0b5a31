#pragma once

// What the environment says of the desktop session: the variables the
// display probe and the choice of a helper read.
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

// Whether an environment variable is set and not empty.
bool IsSet(const char* variable);

}  // namespace platform::desktop
