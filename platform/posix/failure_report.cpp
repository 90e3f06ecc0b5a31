// The failure report on Linux: one line on standard error.
#include <cstring>

#include <unistd.h>

#include "platform/failure.h"
#include "platform/posix/fd_io.h"

namespace platform {

std::string_view SystemErrorText(int error) noexcept
{
    return std::strerror(error);
}

void ShowFailure(const RunFailure& failure) noexcept
{
    const StatusCodeText code(failure.status);
    // Standard error is the last way to the user; if it fails too, the exit
    // code is all that is left, and the caller returns it anyway.
    for (const std::string_view part :
         {std::string_view("osoby: operace "), std::string_view(failure.operation),
          std::string_view(failure.object ? " osoby " : ""), std::string_view(failure.object ? failure.object : ""),
          std::string_view(" selhala: "), DescribeStatus(failure.status), std::string_view(" ("), code.View(),
          std::string_view(")\n")}) {
        if (posix::WriteAll(STDERR_FILENO, part).Failed()) {
            return;
        }
    }
}

}  // namespace platform
