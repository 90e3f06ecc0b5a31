#pragma once

namespace platform {

// The part of the process start that every platform shares: runs the start
// procedure on this thread and gives the process's exit code, 0 when it
// returned and kFailureExitCode when it ended through the failure report.
int RunMain(void (*main)()) noexcept;

}  // namespace platform
