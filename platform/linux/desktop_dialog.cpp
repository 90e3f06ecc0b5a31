#include "platform/linux/desktop_dialog.h"

#include <new>
#include <utility>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/helper_arguments.h"
#include "platform/linux/helper_process.h"
#include "platform/posix/fd_io.h"

namespace platform::desktop {

DesktopDialogMsgBox::DesktopDialogMsgBox(DialogHelper helper) noexcept : helper_(std::move(helper)) {}

Status DesktopDialogMsgBox::Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept
{
    const int errors = NewOutputFile();
    if (errors < 0) {
        return Status::FromPosixError(errno);
    }
    Status status = kOk;
    try {
        int wait_status = 0;
        status = RunHelper(helper_, DialogArguments(helper_, prompt, style, title), std::nullopt, errors, std::nullopt,
                           wait_status);
        if (!status.Failed() && !(WIFEXITED(wait_status) && Dismissed(helper_.kind, WEXITSTATUS(wait_status)))) {
            // A helper that failed has usually said why; the user reads that
            // just before the failure report. Only a hint on the way to that
            // report, so if standard error fails, the report will meet that too.
            static_cast<void>(posix::WriteAll(STDERR_FILENO, posix::FileContents(errors)));
            status = kDialogFailed;
        }
    } catch (const std::bad_alloc&) {
        status = kOutOfMemory;
    }
    ::close(errors);
    return status;
}

AfterUnstartableHelper::AfterUnstartableHelper(MsgBoxService& box, std::string unstartable) noexcept
    : box_(box), unstartable_(std::move(unstartable))
{
}

Status AfterUnstartableHelper::Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept
{
    const Status status = box_.Show(prompt, style, title);
    if (status.Failed()) {
        // Only words before the failure report, which meets a failing
        // standard error itself.
        static_cast<void>(posix::WriteAll(STDERR_FILENO, unstartable_));
    }
    return status;
}

}  // namespace platform::desktop