#include "platform/posix/fd_io.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace platform::posix {
namespace {

// Waits until `fd` is ready for `events`, or a signal comes. False where it
// cannot wait at all, with errno set.
bool AwaitReady(int fd, short events) noexcept
{
    pollfd ready{fd, events, 0};
    return ::poll(&ready, 1, -1) >= 0 || errno == EINTR;
}

}  // namespace

Status WriteAll(int fd, std::string_view data) noexcept
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR || (errno == EAGAIN && AwaitReady(fd, POLLOUT))) {
                continue;
            }
            return Status::FromPosixError(errno);
        }
        if (written == 0) {
            return Status::FromPosixError(EIO);
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return kOk;
}

bool WaitForLine(int fd) noexcept
{
    // One byte at a time, so nothing meant for the next box is read ahead.
    char c = 0;
    for (;;) {
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && (errno == EINTR || (errno == EAGAIN && AwaitReady(fd, POLLIN)))) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        if (c == '\n') {
            return true;
        }
    }
}

std::string FileContents(int fd, std::size_t limit)
{
    std::string text;
    char buffer[4096];
    for (ssize_t got; text.size() < limit && (got = ::pread(fd, buffer, std::min(sizeof buffer, limit - text.size()),
                                                            static_cast<off_t>(text.size()))) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

int AboveStandardStreams(int fd) noexcept
{
    if (fd < 0 || fd > STDERR_FILENO) {
        return fd;
    }
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int error = errno;
    ::close(fd);
    errno = error;
    return moved;
}

}  // namespace platform::posix
