// The process start in a browser: prepares the runtime, runs Main and tells
// the page how the run ended.
#include <cstdlib>
#include <exception>

#include "platform/failure.h"
#include "platform/local_clock.h"
#include "platform/process_start.h"
#include "platform/runtime.h"
#include "platform/web/dialog_box.h"
#include "platform/web/page_calls.h"
#include "startup/mmain.h"

namespace {

// An exception that escapes is a fault of the program itself: reported as on
// every platform, once, and the run ends with the exit code of every failure.
[[noreturn]] void ReportEscapedException()
{
    platform::ShowFailure({platform::kInternalError, nullptr, "Main"});
    osoby_run_ended(platform::kFailureExitCode);
    std::_Exit(platform::kFailureExitCode);
}

}  // namespace

int main()
{
    std::set_terminate(ReportEscapedException);
    platform::web::DialogMsgBox box;
    platform::LocalClock clock;
    const platform::ScopedRuntime runtime(box, clock);
    const int exit_code = platform::RunMain(MMain::Main);
    osoby_run_ended(exit_code);
    return exit_code;
}
