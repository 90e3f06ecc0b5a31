#include "platform/linux/display_probe.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/fd_io.h"

namespace platform::desktop {
namespace {

// How long each named display has to answer.
constexpr std::chrono::seconds kAnswerTime{2};

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

// A descriptor this probe opened, closed however the function is left.
class Descriptor {
public:
    explicit Descriptor(int fd) noexcept : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const noexcept { return fd_; }

private:
    int fd_;
};

unsigned BigEndian16(std::string_view bytes)
{
    return static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
}

// An Xauthority entry: a 16-bit family, then the address, display number,
// authorisation name and data, each a 16-bit length and its bytes, all
// big-endian.
struct XAuthEntry {
    unsigned family = 0;
    std::string_view address, number, name, data;
};

// The entry at the front of `rest`, taken off it; none where it is not whole.
std::optional<XAuthEntry> TakeEntry(std::string_view& rest)
{
    XAuthEntry entry;
    std::string_view left = rest;
    if (left.size() < 2) {
        return std::nullopt;
    }
    entry.family = BigEndian16(left);
    left.remove_prefix(2);
    for (std::string_view* field : {&entry.address, &entry.number, &entry.name, &entry.data}) {
        if (left.size() < 2 || left.size() < 2 + BigEndian16(left)) {
            return std::nullopt;
        }
        *field = left.substr(2, BigEndian16(left));
        left.remove_prefix(2 + field->size());
    }
    rest = left;
    return entry;
}

constexpr std::string_view kXdmAuthorization = "XDM-AUTHORIZATION-1", kMagicCookie = "MIT-MAGIC-COOKIE-1";

// The authorisation an X client sends: its name (empty for none) and data.
struct XAuth {
    std::string name, data;
};

// The authorisation X clients send to the server at `server` (null for a
// local socket) for display `number`, as libXau and libxcb choose it: from
// the file XAUTHORITY names wherever it is set (set but empty, it names no
// file), else ~/.Xauthority; among the entries for this server (of any host,
// or of its family and address) and this display (or any), the first
// XDM-AUTHORIZATION-1 one, else the first MIT-MAGIC-COOKIE-1 one, as Debian's
// libxcb ranks them; other names are skipped. A local socket and 127.0.0.1,
// also mapped into IPv6, are named by this machine's host name; any other
// address by its bytes. None where the file is not read by the deadline.
std::optional<XAuth> XAuthFor(const Session& session, const sockaddr* server, int number, Deadline deadline)
{
    constexpr unsigned kInternet = 0, kInternet6 = 6, kLocal = 256, kWild = 65535;
    unsigned family = kLocal;
    std::string address;
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(server);
    if (server != nullptr && server->sa_family == AF_INET6 && !IN6_IS_ADDR_V4MAPPED(&in6->sin6_addr)) {
        if (!IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr)) {
            family = kInternet6;
            address.assign(reinterpret_cast<const char*>(&in6->sin6_addr), sizeof in6->sin6_addr);
        }
    } else if (server != nullptr && server->sa_family != AF_UNIX) {
        const char* ipv4 = server->sa_family == AF_INET6
                               ? reinterpret_cast<const char*>(&in6->sin6_addr) + 12
                               : reinterpret_cast<const char*>(&reinterpret_cast<const sockaddr_in*>(server)->sin_addr);
        if (std::string_view(ipv4, 4) != std::string_view("\x7F\0\0\x01", 4)) {
            family = kInternet;
            address.assign(ipv4, 4);
        }
    }
    if (family == kLocal) {
        char host[256] = {};
        address = ::gethostname(host, sizeof host - 1) == 0 ? host : "";
    }
    const std::string path = session.xauthority != nullptr ? std::string(session.xauthority)
                             : session.home != nullptr     ? std::string(session.home) + "/.Xauthority"
                                                           : std::string();
    // Opened without waiting, which a FIFO there would do until a writer
    // came, and read only where it is a regular file, never a device.
    const Descriptor file(posix::AboveStandardStreams(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return XAuth{};
    }
    const std::string number_text = std::to_string(number);
    XAuth found;
    // Read a piece at a time, of a file of any size, holding at most one
    // entry (up to 256 KiB) and a piece.
    std::string pending;
    char piece[16384];
    for (ssize_t got = 1; got != 0;) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        got = ::read(file.get(), piece, sizeof piece);
        if (got < 0 && errno != EINTR) {
            break;
        }
        pending.append(piece, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        std::string_view rest = pending;
        for (std::optional<XAuthEntry> entry; (entry = TakeEntry(rest));) {
            if ((entry->family == kWild || (entry->family == family && entry->address == address)) &&
                (entry->number.empty() || entry->number == number_text) &&
                (entry->name == kXdmAuthorization || (entry->name == kMagicCookie && found.name.empty()))) {
                found = {std::string(entry->name), std::string(entry->data)};
                if (entry->name == kXdmAuthorization) {
                    return found;
                }
            }
        }
        pending.erase(0, pending.size() - rest.size());
    }
    return found;
}

// Whether the X server connected at `fd` accepts this client on `screen`:
// its answer to the connection setup (big-endian, protocol 11.0, with the
// authorisation X clients send) begins with Success (1), not Failed (0) or
// Authenticate (2), and counts the screen among its roots (byte 28). Closes
// `fd`.
bool XServerAccepts(int fd, const Session& session, const sockaddr* server, int number, int screen, Deadline deadline)
{
    const std::optional<XAuth> auth = XAuthFor(session, server, number, deadline);
    if (!auth) {
        ::close(fd);
        return false;
    }
    // XDM-AUTHORIZATION-1's data is a DES key to encrypt a time stamp with,
    // which is not done here: the name alone is sent. A server that would
    // refuse the X client refuses this too (unless its host list lets anyone
    // in); one that would take it may refuse this, and the terminal does.
    const std::string_view data = auth->name == kMagicCookie ? std::string_view(auth->data) : "";
    std::string setup{'B', '\0', '\0', '\x0b', '\0', '\0'};
    for (const std::size_t size : {auth->name.size(), data.size(), std::size_t{0}}) {
        setup += {static_cast<char>(size >> 8), static_cast<char>(size & 0xFF)};
    }
    for (const std::string_view field : {std::string_view(auth->name), data}) {
        setup.append(field).append((4 - field.size() % 4) % 4, '\0');
    }
    const std::string reply = Reply(fd, setup, 29, deadline);
    return reply.size() == 29 && reply[0] == '\x01' && screen >= 0 && screen < static_cast<unsigned char>(reply[28]);
}

// A stream address as getaddrinfo gives it.
struct Address {
    sockaddr_storage storage;
    socklen_t length;
};

// The addresses getaddrinfo gives for `host`, looked up in a child process
// that is ended at the deadline: a silent name server holds the lookup for
// as long as resolv.conf's timeouts add up to (30 s with three), and a call
// made here could not be cut short. None where the lookup fails or is late.
std::vector<Address> Resolve(const std::string& host, const std::string& port, const addrinfo& hints, Deadline deadline)
{
    // Room for 16 addresses, made before the child is: nothing may throw
    // while it runs, which would leave it running.
    std::vector<Address> addresses(16);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return {};
    }
    const Descriptor in(posix::AboveStandardStreams(ends[0]));
    const int out = posix::AboveStandardStreams(ends[1]);
    const pid_t child = in.get() < 0 || out < 0 ? -1 : ::fork();
    if (child == 0) {
        // The program runs one thread here (its tests add servers, which
        // hold no lock the lookup needs), so the child may look up.
        addrinfo* found = nullptr;
        for (const addrinfo* address = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) == 0 ? found : nullptr;
             address != nullptr; address = address->ai_next) {
            Address record{};
            if (address->ai_addrlen <= sizeof record.storage) {
                std::memcpy(&record.storage, address->ai_addr, address->ai_addrlen);
                record.length = address->ai_addrlen;
                static_cast<void>(::write(out, &record, sizeof record));  // one missing, the parent reads fewer
            }
        }
        ::_exit(0);
    }
    if (out >= 0) {
        ::close(out);
    }
    const std::size_t room = addresses.size() * sizeof(Address);
    std::size_t size = 0;
    ssize_t got = -1;
    // A pipe whose writer is gone reads as POLLHUP alone, without POLLIN.
    while (child > 0 && size < room && Ready(in.get(), POLLIN | POLLHUP, deadline) &&
           ((got = ::read(in.get(), reinterpret_cast<char*>(addresses.data()) + size, room - size)) > 0 ||
            (got < 0 && errno == EINTR))) {
        size += static_cast<std::size_t>(std::max<ssize_t>(got, 0));
    }
    if (child > 0) {
        // Gone already where it answered in time; ended here where it did not.
        ::kill(child, SIGKILL);
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    addresses.resize(got == 0 || size == room ? size / sizeof(Address) : 0);
    return addresses;
}

// An X display as X clients read it (libxcb's reading, which Xlib and so
// GTK use): "[protocol/]host:number[.screen]", split at the last slash and
// the last colon, each number as strtoul reads it (leading blanks, a sign,
// leading zeros). The protocol "unix", no host or the host "unix" is this
// machine's socket, in the abstract namespace or the file system (X servers
// listen on both), and with neither protocol nor host, TCP on localhost
// after them; any other host is reached over TCP (protocol "tcp", "inet",
// "inet6" or none) at port 6000 + number, an IPv6 address in brackets too.
// Xlib refuses a screen the server does not have.
bool XDisplayAnswers(std::string_view display, const Session& session, Deadline deadline)
{
    std::string_view protocol;
    const std::size_t slash = display.rfind('/');
    if (slash != std::string_view::npos) {
        protocol = display.substr(0, slash);
        display.remove_prefix(slash + 1);
    }
    const std::size_t colon = display.rfind(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    std::string host(display.substr(0, colon));
    const std::string numbers(display.substr(colon + 1));
    char* end = nullptr;
    // As X clients, the number's unsigned long taken modulo 2^32 into an int.
    const int number = static_cast<int>(std::strtoul(numbers.c_str(), &end, 10));
    int screen = 0;
    if (end == numbers.c_str()) {
        return false;
    }
    if (*end != '\0') {
        const char* const dot = end + 1;
        screen = *end == '.' ? static_cast<int>(std::strtoul(dot, &end, 10)) : 0;
        if (end == dot || *end != '\0') {
            return false;
        }
    }
    if (protocol == "unix" || host.empty() || host == "unix") {
        if (slash != std::string_view::npos && protocol != "unix") {
            return false;
        }
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
        int fd = ConnectLocal(path, true, deadline);
        fd = fd >= 0 ? fd : ConnectLocal(path, false, deadline);
        if (fd >= 0 || slash != std::string_view::npos || !host.empty()) {
            return fd >= 0 && XServerAccepts(fd, session, nullptr, number, screen, deadline);
        }
        host = "localhost";
    } else if (slash != std::string_view::npos && protocol != "tcp" && protocol != "inet" && protocol != "inet6") {
        return false;
    }
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICSERV;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    if (host.size() > 1 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
        hints.ai_flags |= AI_NUMERICHOST;
        hints.ai_family = AF_INET6;
    }
    // The port, modulo 2^16 as X clients take it.
    const std::string port = std::to_string(static_cast<std::uint16_t>(6000u + static_cast<unsigned>(number)));
    for (const Address& address : Resolve(host, port, hints, deadline)) {
        const auto* name = reinterpret_cast<const sockaddr*>(&address.storage);
        if (const int fd = Connect(name, address.length, deadline); fd >= 0) {
            return XServerAccepts(fd, session, name, number, screen, deadline);
        }
    }
    return false;
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

}  // namespace platform::desktop
