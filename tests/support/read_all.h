#pragma once

#include <string>

#include <unistd.h>

namespace testing_support {

// Everything a descriptor gives until its end.
inline std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace testing_support
