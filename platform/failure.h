#pragma once

#include <string_view>

#include "platform/status.h"

namespace platform {

// A failure on its way to the process start. ReportFailure throws it so that
// everything between (the script's texts, its persons) is freed on the way.
struct RunFailure {
    Status status;
    const char* object;     // the person the operation ran on, or null for a service
    const char* operation;  // the operation or service that failed
};

// Hands a failure to the failure report: ends the run with a non-zero exit.
[[noreturn]] void ReportFailure(Status status, const char* object, const char* operation);

// What a failure status means, in words for the user.
std::string_view DescribeStatus(Status status) noexcept;

// A status code as reports show it: "errno 28" for a POSIX error, the whole
// code otherwise ("0xA0000001", "0x80070005").
class StatusCodeText {
public:
    explicit StatusCodeText(Status status) noexcept;
    std::string_view View() const noexcept { return text_; }

private:
    char text_[16];
};

// The operating system's words for one of its error numbers (errno, or
// GetLastError on Windows); per platform.
std::string_view SystemErrorText(int error) noexcept;

// Shows a failure to the user; per platform.
void ShowFailure(const RunFailure& failure) noexcept;

// The exit code of a run that ended through the failure report.
inline constexpr int kFailureExitCode = 1;

}  // namespace platform
