#include "platform/linux/session.h"

#include <cstdlib>

namespace platform::desktop {

bool IsSet(const char* variable)
{
    return variable != nullptr && *variable != '\0';
}

Session Session::FromEnvironment() noexcept
{
    return {std::getenv("WAYLAND_DISPLAY"),
            std::getenv("DISPLAY"),
            std::getenv("XDG_RUNTIME_DIR"),
            std::getenv("XDG_CURRENT_DESKTOP"),
            std::getenv("PATH"),
            std::getenv("XAUTHORITY"),
            std::getenv("HOME")};
}

}  // namespace platform::desktop
