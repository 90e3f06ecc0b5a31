// What ends the program when an exception escapes, a fault of the program
// itself. GCC's C++ runtime would name the exception, linking in a demangler
// for that (a sixth to a third of the program, on Linux paged in at every
// start), on a standard error that a Windows program does not have. The
// failure report tells the user instead, as it does every other failure:
// on standard error on Linux, in an error box on Windows, and the run ends
// with the exit code of every failure. Not through abort: its exit code is
// 3, and on Windows msvcrt's abort adds a "Runtime Error!" box of its own.
// Defining the handler keeps the runtime's own out of the link.
#include <cstdlib>

#include "platform/failure.h"

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    platform::ShowFailure({platform::kInternalError, nullptr, "Main"});
    std::_Exit(platform::kFailureExitCode);
}

}  // namespace __gnu_cxx
