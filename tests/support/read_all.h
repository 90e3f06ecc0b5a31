#pragma once

#include <algorithm>
#include <string>

#include <sys/ioctl.h>
#include <unistd.h>

namespace testing_support {

// Everything a descriptor gives until its end, or its first `limit` bytes.
inline std::string ReadAll(int fd, std::size_t limit = std::string::npos)
{
    std::string text;
    char buffer[4096];
    for (ssize_t got;
         text.size() < limit && (got = ::read(fd, buffer, std::min(sizeof buffer, limit - text.size()))) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

// How many bytes wait unread in a pipe or terminal.
inline int Unread(int fd)
{
    int count = -1;
    return ::ioctl(fd, FIONREAD, &count) == 0 ? count : -1;
}

}  // namespace testing_support
