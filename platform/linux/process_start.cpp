// The process start on Linux: prepares the runtime and runs Main.
#include <csignal>

#include <unistd.h>

#include "platform/linux/local_clock.h"
#include "platform/linux/terminal_box.h"
#include "platform/process_start.h"
#include "platform/runtime.h"
#include "startup/mmain.h"

int main()
{
    // A reader that goes away must fail the box that writes to it, not kill
    // the process without a word.
    std::signal(SIGPIPE, SIG_IGN);

    platform::terminal::TerminalMsgBox box(STDOUT_FILENO, STDIN_FILENO);
    platform::posix::LocalClock clock;
    const platform::ScopedRuntime runtime(box, clock);
    return platform::RunMain(MMain::Main);
}
