#pragma once

#include <string_view>

#include "platform/status.h"

namespace platform::posix {

// Writes all of `data`, through short writes and interrupted calls.
Status WriteAll(int fd, std::string_view data) noexcept;

// Waits for one line on `fd`. End of input, or input that cannot be read at
// all, ends the wait at once: there is nobody left to answer. Gives whether
// a line came; false means the input has ended.
bool WaitForLine(int fd) noexcept;

}  // namespace platform::posix
