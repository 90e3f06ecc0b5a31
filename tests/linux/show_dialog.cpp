// Shows one plain box, as the program would on this desktop, for the tests
// of real dialogs:  show_dialog PROMPT TITLE
// Exits 0 once the user has dismissed it, 1 when it failed, 2 where there is
// no desktop to show it on.
#include "platform/linux/desktop_dialog.h"
#include "platform/linux/display_probe.h"
#include "platform/linux/helper_arguments.h"
#include "platform/linux/helper_choice.h"
#include "platform/linux/helper_process.h"
#include "platform/linux/session.h"

int main(int argc, char** argv)
{
    using namespace platform::desktop;
    if (argc != 3) {
        return 2;
    }
    const Session session = Session::FromEnvironment();
    std::string unstartable;
    auto helper = FirstThatStarts(FindDialogHelpers(session), DisplayAnswers(session), unstartable);
    if (!helper) {
        return 2;
    }
    DesktopDialogMsgBox box(std::move(*helper));
    return box.Show(argv[1], platform::BoxStyle::Plain, argv[2]).Failed() ? 1 : 0;
}
