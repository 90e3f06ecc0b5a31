#include "platform/linux/desktop_session.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::desktop {
namespace {

constexpr int kConnectMilliseconds = 2000;

bool IsSet(const char* variable)
{
    return variable != nullptr && *variable != '\0';
}

// The next entry of a colon-separated list, taken off its front.
std::string_view NextEntry(std::string_view& list)
{
    const std::size_t colon = list.find(':');
    const std::string_view entry = list.substr(0, colon);
    list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
    return entry;
}

bool ListHolds(std::string_view list, std::string_view item)
{
    while (!list.empty()) {
        if (NextEntry(list) == item) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> FindProgram(std::string_view name, std::string_view search_path)
{
    while (!search_path.empty()) {
        const std::string_view folder = NextEntry(search_path);
        // An empty or relative entry names the working folder or one below
        // it; a dialog is no reason to run whatever lies there.
        if (folder.empty() || folder.front() != '/') {
            continue;
        }
        std::string candidate = std::string(folder) + "/" + std::string(name);
        struct stat file {};
        if (::stat(candidate.c_str(), &file) == 0 && S_ISREG(file.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

// Whether a stream socket at `address` takes a connection in time.
bool Connects(int family, const sockaddr* address, socklen_t length)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return false;
    }
    bool connected = ::connect(fd, address, length) == 0;
    if (!connected && errno == EINPROGRESS) {
        pollfd ready{fd, POLLOUT, 0};
        int error = -1;
        socklen_t size = sizeof error;
        connected = ::poll(&ready, 1, kConnectMilliseconds) == 1 &&
                    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    ::close(fd);
    return connected;
}

// A local socket; `abstract` for Linux's abstract namespace.
bool LocalSocketAnswers(std::string_view path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
    return Connects(AF_UNIX, reinterpret_cast<const sockaddr*>(&address), length);
}

// An X display: "[host]:number[.screen]". No host, or "unix", is this
// machine's socket; any other host is reached over TCP, at port 6000 and up.
bool XDisplayAnswers(std::string_view display)
{
    const std::size_t colon = display.rfind(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const std::string_view host = display.substr(0, colon);
    const std::string_view number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
    if (number.empty() || number.size() > 5 || number.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + std::string(number);
        return LocalSocketAnswers(path, false) || LocalSocketAnswers(path, true);
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(6000 + std::atoi(std::string(number).c_str()));
    if (::getaddrinfo(std::string(host).c_str(), port.c_str(), &hints, &found) != 0) {
        return false;
    }
    bool answers = false;
    for (const addrinfo* address = found; address != nullptr && !answers; address = address->ai_next) {
        answers = Connects(address->ai_family, address->ai_addr, address->ai_addrlen);
    }
    ::freeaddrinfo(found);
    return answers;
}

// A Wayland display: a socket named relative to the runtime folder, or a path.
bool WaylandDisplayAnswers(std::string_view display, const char* runtime_dir)
{
    if (display.front() == '/') {
        return LocalSocketAnswers(display, false);
    }
    return IsSet(runtime_dir) && LocalSocketAnswers(std::string(runtime_dir) + "/" + std::string(display), false);
}

}  // namespace

Session Session::FromEnvironment() noexcept
{
    return {std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"), std::getenv("XDG_RUNTIME_DIR"),
            std::getenv("XDG_CURRENT_DESKTOP"), std::getenv("PATH")};
}

bool DisplayAnswers(const Session& session) noexcept
{
    try {
        return (IsSet(session.wayland_display) &&
                WaylandDisplayAnswers(session.wayland_display, session.runtime_dir)) ||
               (IsSet(session.display) && XDisplayAnswers(session.display));
    } catch (const std::bad_alloc&) {
        return false;  // the terminal box will do
    }
}

std::optional<DialogHelper> FindDialogHelper(const Session& session) noexcept
{
    if ((!IsSet(session.wayland_display) && !IsSet(session.display)) || session.search_path == nullptr) {
        return std::nullopt;
    }
    // As the libraries for this job do: each desktop's own helper first.
    const bool kde = IsSet(session.current_desktop) && ListHolds(session.current_desktop, "KDE");
    const Helper order[2] = {kde ? Helper::KDialog : Helper::Zenity, kde ? Helper::Zenity : Helper::KDialog};
    try {
        for (const Helper kind : order) {
            if (auto path = FindProgram(kind == Helper::Zenity ? "zenity" : "kdialog", session.search_path)) {
                return DialogHelper{kind, std::move(*path), {}};
            }
        }
    } catch (const std::bad_alloc&) {
        // The terminal box will do.
    }
    return std::nullopt;
}

}  // namespace platform::desktop
