#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/display_probe.h"
#include "platform/linux/session.h"
#include "platform/status.h"

// Which dialog helper shows the boxes: those found on the search path, in
// the desktop's order, and the first of them that starts, its version read.
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
    Displays displays;  // where its toolkit is to show the dialog
};

// The helpers there are to show dialogs with, where a display is named, in
// the order to try them: zenity first, kdialog first in a KDE session. Only
// absolute folders of the search path are searched, and only a regular
// executable file counts. Whether they start is not tried here.
std::vector<DialogHelper> FindDialogHelpers(const Session& session) noexcept;

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

}  // namespace platform::desktop
