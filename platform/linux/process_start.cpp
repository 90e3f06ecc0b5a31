// The process start on Linux: answers --help and --version, or prepares the
// runtime and runs Main.
#include <csignal>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <unistd.h>

#include "platform/linux/desktop_dialog.h"
#include "platform/linux/display_probe.h"
#include "platform/linux/helper_choice.h"
#include "platform/linux/session.h"
#include "platform/local_clock.h"
#include "platform/posix/fd_io.h"
#include "platform/posix/terminal_box.h"
#include "platform/process_start.h"
#include "platform/runtime.h"
#include "platform/visible_text.h"
#include "startup/mmain.h"

namespace {

constexpr std::string_view kHelp =
    "Použití: osoby [--help | --version]\n"
    "\n"
    "Ukázka objektu osoby: zobrazí řadu zpráv o dvou osobách (jméno, datum\n"
    "narození a kdo z nich je starší) a skončí. V sezení plochy se zenity nebo\n"
    "kdialog je každá zpráva dialogové okno, jinak rámeček v terminálu, který\n"
    "čeká na Enter.\n"
    "\n"
    "  --help     vypíše tuto nápovědu a skončí\n"
    "  --version  vypíše verzi programu a skončí\n";

// What the command line asks for other than the run: the exit code of a
// help, a version or a refused argument; nothing where it asks for the run.
std::optional<int> AnswerCommandLine(int argc, char** argv)
{
    if (argc <= 1) {
        return std::nullopt;
    }
    const std::string_view first = argv[1];
    if (argc == 2 && (first == "--help" || first == "--version")) {
        const std::string text = first == "--help" ? std::string(kHelp) : "osoby " OSOBY_VERSION "\n";
        if (const platform::Status written = platform::posix::WriteAll(STDOUT_FILENO, text); written.Failed()) {
            const std::string report = std::string("osoby: výpis selhal: ") + std::strerror(written.Number()) + "\n";
            // Standard error is the last place to say it; if that fails too, the exit code still does.
            (void)platform::posix::WriteAll(STDERR_FILENO, report);
            return 1;
        }
        return 0;
    }
    // The argument as typed may hold control characters: shown, not obeyed.
    const char* refused = first == "--help" || first == "--version" ? argv[2] : argv[1];
    const std::string report =
        "osoby: neznámý argument „" + platform::VisibleText(refused, false) + "“; nápovědu vypíše osoby --help\n";
    (void)platform::posix::WriteAll(STDERR_FILENO, report);  // the exit code says it as well
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = AnswerCommandLine(argc, argv)) {
        return *answered;
    }

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
