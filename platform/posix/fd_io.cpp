#include "platform/posix/fd_io.h"

#include <cerrno>

#include <unistd.h>

namespace platform::posix {

Status WriteAll(int fd, std::string_view data) noexcept
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
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
        if (got < 0 && errno == EINTR) {
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

}  // namespace platform::posix
