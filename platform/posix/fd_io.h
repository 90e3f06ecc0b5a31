#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform::posix {

// Writes all of `data`, through short writes and interrupted calls, waiting
// where another program has left the descriptor non-blocking.
Status WriteAll(int fd, std::string_view data) noexcept;

// Waits for one line on `fd`. End of input, or input that cannot be read at
// all, ends the wait at once: there is nobody left to answer. Gives whether
// a line came; false means the input has ended. Input that is not there yet
// is waited for, even where the descriptor is non-blocking.
bool WaitForLine(int fd) noexcept;

// The file at `fd` from its start, its first `limit` bytes at most; read at
// offsets, so it works also where another descriptor of the same file has
// written it and left the shared offset at its end. Throws std::bad_alloc.
std::string FileContents(int fd, std::size_t limit = std::string::npos);

// A descriptor the program has just opened for itself, moved above the
// standard streams (close-on-exec) where it took the place of a closed one,
// which would otherwise get what was meant for that stream. -1 stays -1;
// gives -1, with errno set, where it cannot be moved.
int AboveStandardStreams(int fd) noexcept;

}  // namespace platform::posix
