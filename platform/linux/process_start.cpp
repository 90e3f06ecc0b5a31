// The process start on Linux: prepares the runtime and runs Main.
#include <csignal>
#include <optional>
#include <string>

#include <unistd.h>

#include "platform/linux/desktop_dialog.h"
#include "platform/linux/desktop_session.h"
#include "platform/local_clock.h"
#include "platform/posix/terminal_box.h"
#include "platform/process_start.h"
#include "platform/runtime.h"
#include "startup/mmain.h"

int main()
{
    // A reader that goes away must fail the box that writes to it, not kill
    // the process without a word. A dialog helper's end must be there to
    // wait for, whatever the parent left SIGCHLD at.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGCHLD, SIG_DFL);

    // Desktop dialogs where a desktop session answers and a dialog helper
    // there starts, the terminal box otherwise; chosen once, for the whole run.
    namespace desktop = platform::desktop;
    std::optional<desktop::DesktopDialogMsgBox> dialog_box;
    std::optional<platform::terminal::TerminalMsgBox> terminal_box;
    std::optional<desktop::AfterUnstartableHelper> noted_box;
    const auto session = desktop::Session::FromEnvironment();
    std::string unstartable;
    std::optional<desktop::DialogHelper> helper;
    if (auto helpers = desktop::FindDialogHelpers(session); !helpers.empty()) {  // the display is asked only then
        helper = desktop::FirstThatStarts(std::move(helpers), desktop::DisplayAnswers(session), unstartable);
    }
    if (helper) {
        dialog_box.emplace(std::move(*helper));
    } else {
        terminal_box.emplace(STDOUT_FILENO, STDIN_FILENO, platform::terminal::CharacterLocale(environ));
        if (!unstartable.empty()) {
            noted_box.emplace(*terminal_box, std::move(unstartable));
        }
    }
    platform::MsgBoxService& box = dialog_box  ? static_cast<platform::MsgBoxService&>(*dialog_box)
                                   : noted_box ? static_cast<platform::MsgBoxService&>(*noted_box)
                                               : *terminal_box;

    platform::LocalClock clock;
    const platform::ScopedRuntime runtime(box, clock);
    return platform::RunMain(MMain::Main);
}
