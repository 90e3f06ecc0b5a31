#pragma once

#include "platform/linux/session.h"

// Whether the displays the session names answer: an X server over its
// socket or TCP with this user's Xauthority cookie, a Wayland compositor over
// its socket.
namespace platform::desktop {

// Which of the displays the session names answer.
struct Displays {
    bool wayland = false;
    bool x = false;
    bool Any() const noexcept { return wayland || x; }
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

}  // namespace platform::desktop
