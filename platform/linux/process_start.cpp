// The process start on Linux: prepares the runtime and runs Main.
#include <csignal>
#include <optional>

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

    // Desktop dialogs where a desktop session answers and a dialog helper is
    // there, the terminal box otherwise; chosen once, for the whole run.
    std::optional<platform::desktop::DesktopDialogMsgBox> dialog_box;
    std::optional<platform::terminal::TerminalMsgBox> terminal_box;
    const auto session = platform::desktop::Session::FromEnvironment();
    if (auto helper = platform::desktop::FindDialogHelper(session);
        helper && platform::desktop::DisplayAnswers(session)) {
        helper->version = platform::desktop::ReadVersion(helper->path);
        dialog_box.emplace(std::move(*helper));
    } else {
        terminal_box.emplace(STDOUT_FILENO, STDIN_FILENO, platform::terminal::CharacterLocale(environ));
    }
    platform::MsgBoxService& box = dialog_box ? static_cast<platform::MsgBoxService&>(*dialog_box) : *terminal_box;

    platform::LocalClock clock;
    const platform::ScopedRuntime runtime(box, clock);
    return platform::RunMain(MMain::Main);
}
