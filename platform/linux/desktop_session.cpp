#include "platform/linux/desktop_session.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/posix/fd_io.h"

namespace platform::desktop {
namespace {

// How long each named display has to answer.
constexpr std::chrono::seconds kAnswerTime{2};

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

using Deadline = std::chrono::steady_clock::time_point;

// Whether `fd` is ready for `events` before the deadline.
bool Ready(int fd, short events, Deadline deadline)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{fd, events, 0};
        const int got = ::poll(&ready, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (got >= 0 || errno != EINTR) {
            return got == 1 && (ready.revents & events) != 0;
        }
    }
}

// A stream socket connected to `address` before the deadline; -1 where none is.
int Connect(const sockaddr* address, socklen_t length, Deadline deadline)
{
    const int fd =
        posix::AboveStandardStreams(::socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd < 0) {
        return -1;
    }
    int error = ::connect(fd, address, length) == 0 ? 0 : errno;
    socklen_t size = sizeof error;
    if (error == EINPROGRESS && Ready(fd, POLLOUT, deadline) &&
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A local socket; `abstract` for Linux's abstract namespace. -1 where none connects.
int ConnectLocal(std::string_view path, bool abstract, Deadline deadline)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof address.sun_path) {
        return -1;
    }
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
    return Connect(reinterpret_cast<const sockaddr*>(&address), length, deadline);
}

// The first `size` bytes the server at `fd` answers to `request` before the
// deadline; fewer where it closes the connection or stays silent. Closes `fd`.
std::string Reply(int fd, std::string_view request, std::size_t size, Deadline deadline)
{
    std::string reply;
    while (!request.empty() && Ready(fd, POLLOUT, deadline)) {
        const ssize_t sent = ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            break;
        }
        request.remove_prefix(static_cast<std::size_t>(sent));
    }
    char buffer[64];
    while (request.empty() && reply.size() < size && Ready(fd, POLLIN, deadline)) {
        const ssize_t got = ::recv(fd, buffer, std::min(sizeof buffer, size - reply.size()), 0);
        if (got <= 0) {
            break;
        }
        reply.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return reply;
}

// The whole of a small file (its first MiB); empty where it cannot be read.
std::string FileText(const std::string& path)
{
    const int fd = posix::AboveStandardStreams(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd < 0) {
        return {};
    }
    std::string text = posix::FileContents(fd, 1 << 20);
    ::close(fd);
    return text;
}

unsigned BigEndian16(std::string_view bytes)
{
    return static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
}

// The user's MIT-MAGIC-COOKIE-1 for X display `number` on the server at
// `server` (null for a local socket), as X clients find it in XAUTHORITY or
// ~/.Xauthority; empty where none matches. Each entry there is a 16-bit
// family, then the address, display number, authorisation name and data,
// each a 16-bit length and its bytes, all big-endian. A local socket or a
// loopback address is named by this machine's host name, any other by its
// address's bytes.
std::string XCookie(const Session& session, const sockaddr* server, std::string_view number)
{
    constexpr unsigned kInternet = 0, kInternet6 = 6, kLocal = 256, kWild = 65535;
    const std::string file = FileText(IsSet(session.xauthority) ? std::string(session.xauthority)
                                      : IsSet(session.home)     ? std::string(session.home) + "/.Xauthority"
                                                                : std::string());
    unsigned family = kLocal;
    std::string address;
    const auto* in = reinterpret_cast<const sockaddr_in*>(server);
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(server);
    if (server != nullptr && server->sa_family == AF_INET && ntohl(in->sin_addr.s_addr) >> 24 != 127) {
        family = kInternet;
        address.assign(reinterpret_cast<const char*>(&in->sin_addr), sizeof in->sin_addr);
    } else if (server != nullptr && server->sa_family == AF_INET6 && !IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr)) {
        family = kInternet6;
        address.assign(reinterpret_cast<const char*>(&in6->sin6_addr), sizeof in6->sin6_addr);
    } else {
        char host[256] = {};
        address = ::gethostname(host, sizeof host - 1) == 0 ? host : "";
    }
    std::string_view rest = file;
    // One counted field, taken off the front; false where the file ends first.
    const auto next = [&rest](std::string_view& field) {
        if (rest.size() < 2 || rest.size() < 2 + BigEndian16(rest)) {
            return false;
        }
        field = rest.substr(2, BigEndian16(rest));
        rest.remove_prefix(2 + field.size());
        return true;
    };
    while (rest.size() >= 2) {
        const unsigned entry_family = BigEndian16(rest);
        rest.remove_prefix(2);
        std::string_view host, display, name, data;
        if (!(next(host) && next(display) && next(name) && next(data))) {
            break;
        }
        if ((entry_family == kWild || (entry_family == family && host == address)) &&
            (display.empty() || display == number) && name == "MIT-MAGIC-COOKIE-1") {
            return std::string(data);
        }
    }
    return {};
}

// Whether the X server connected at `fd` accepts this client: its answer to
// the connection setup (big-endian, protocol 11.0, with the user's cookie
// where there is one) begins with Success (1), not Failed (0) or
// Authenticate (2). Closes `fd`.
bool XServerAccepts(int fd, const Session& session, const sockaddr* server, std::string_view number, Deadline deadline)
{
    const std::string cookie = XCookie(session, server, number);
    const std::string_view name = cookie.empty() ? "" : "MIT-MAGIC-COOKIE-1";
    std::string setup{'B', '\0', '\0', '\x0b', '\0', '\0'};
    for (const std::size_t size : {name.size(), cookie.size(), std::size_t{0}}) {
        setup += {static_cast<char>(size >> 8), static_cast<char>(size & 0xFF)};
    }
    for (const std::string_view field : {name, std::string_view(cookie)}) {
        setup.append(field).append((4 - field.size() % 4) % 4, '\0');
    }
    return Reply(fd, setup, 1, deadline) == "\x01";
}

// An X display as X clients read it: "[protocol/][host]:number[.screen]".
// The protocol "unix", no host or the host "unix" is this machine's socket,
// in the abstract namespace or the file system (X servers listen on both);
// any other host is reached over TCP ("tcp", "inet" for IPv4 only, "inet6"
// for IPv6 only, or none), at port 6000 + number.
bool XDisplayAnswers(std::string_view display, const Session& session, Deadline deadline)
{
    std::string_view protocol;
    if (const std::size_t slash = display.rfind('/'); slash != std::string_view::npos) {
        protocol = display.substr(0, slash);
        display.remove_prefix(slash + 1);
    }
    const std::size_t colon = display.rfind(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const std::string_view host = display.substr(0, colon);
    const std::string_view number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
    if (number.empty() || number.size() > 5 || number.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    if (protocol == "unix" || host.empty() || host == "unix") {
        if (!protocol.empty() && protocol != "unix") {
            return false;
        }
        const std::string path = "/tmp/.X11-unix/X" + std::string(number);
        int fd = ConnectLocal(path, true, deadline);
        fd = fd >= 0 ? fd : ConnectLocal(path, false, deadline);
        return fd >= 0 && XServerAccepts(fd, session, nullptr, number, deadline);
    }
    if (!protocol.empty() && protocol != "tcp" && protocol != "inet" && protocol != "inet6") {
        return false;
    }
    addrinfo hints{};
    hints.ai_family = protocol == "inet" ? AF_INET : protocol == "inet6" ? AF_INET6 : AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(6000 + std::atoi(std::string(number).c_str()));
    if (::getaddrinfo(std::string(host).c_str(), port.c_str(), &hints, &found) != 0) {
        return false;
    }
    bool answers = false;
    for (const addrinfo* address = found; address != nullptr && !answers; address = address->ai_next) {
        const int fd = Connect(address->ai_addr, address->ai_addrlen, deadline);
        answers = fd >= 0 && XServerAccepts(fd, session, address->ai_addr, number, deadline);
    }
    ::freeaddrinfo(found);
    return answers;
}

// A Wayland display: a socket named relative to the runtime folder, or a
// path. It answers when the compositor answers wl_display.sync (object 1,
// opcode 0, 12 bytes, in this machine's byte order) with the done event of
// the new callback, object 2.
bool WaylandDisplayAnswers(std::string_view display, const char* runtime_dir, Deadline deadline)
{
    const bool absolute = display.front() == '/';
    if (!absolute && !IsSet(runtime_dir)) {
        return false;
    }
    const int fd = ConnectLocal(absolute ? std::string(display) : std::string(runtime_dir) + "/" + std::string(display),
                                false, deadline);
    const std::uint32_t sync[3] = {1, 12 << 16, 2};
    std::uint32_t object = 0;
    const std::string reply =
        fd < 0 ? "" : Reply(fd, {reinterpret_cast<const char*>(sync), sizeof sync}, sizeof object, deadline);
    if (reply.size() != sizeof object) {
        return false;
    }
    std::memcpy(&object, reply.data(), sizeof object);
    return object == 2;
}

}  // namespace

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

Displays DisplayAnswers(const Session& session) noexcept
{
    try {
        return {IsSet(session.wayland_display) && WaylandDisplayAnswers(session.wayland_display, session.runtime_dir,
                                                                        std::chrono::steady_clock::now() + kAnswerTime),
                IsSet(session.display) &&
                    XDisplayAnswers(session.display, session, std::chrono::steady_clock::now() + kAnswerTime)};
    } catch (const std::bad_alloc&) {
        return {};  // the terminal box will do
    }
}

std::vector<DialogHelper> FindDialogHelpers(const Session& session) noexcept
{
    std::vector<DialogHelper> found;
    if ((!IsSet(session.wayland_display) && !IsSet(session.display)) || session.search_path == nullptr) {
        return found;
    }
    // As the libraries for this job do: each desktop's own helper first.
    const bool kde = IsSet(session.current_desktop) && ListHolds(session.current_desktop, "KDE");
    const Helper order[2] = {kde ? Helper::KDialog : Helper::Zenity, kde ? Helper::Zenity : Helper::KDialog};
    try {
        for (const Helper kind : order) {
            if (auto path = FindProgram(kind == Helper::Zenity ? "zenity" : "kdialog", session.search_path)) {
                found.push_back(DialogHelper{kind, std::move(*path), {}, {}});
            }
        }
    } catch (const std::bad_alloc&) {
        // Those found so far, or the terminal box, will do.
    }
    return found;
}

}  // namespace platform::desktop
