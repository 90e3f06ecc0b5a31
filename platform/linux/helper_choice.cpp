#include "platform/linux/helper_choice.h"

#include <charconv>
#include <new>
#include <string_view>
#include <utility>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/failure.h"
#include "platform/linux/helper_process.h"
#include "platform/posix/fd_io.h"

namespace platform::desktop {
namespace {

// The next entry of a colon-separated list, taken off its front.
std::string_view NextEntry(std::string_view& list)
{
    const std::size_t colon = list.find(':');
    const std::string_view entry = list.substr(0, colon);
    list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
    return entry;
}

bool ListHolds(std::string_view list, std::string_view item)
{
    while (!list.empty()) {
        if (NextEntry(list) == item) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> FindProgram(std::string_view name, std::string_view search_path)
{
    while (!search_path.empty()) {
        const std::string_view folder = NextEntry(search_path);
        // An empty or relative entry names the working folder or one below
        // it; a dialog is no reason to run whatever lies there.
        if (folder.empty() || folder.front() != '/') {
            continue;
        }
        std::string candidate = std::string(folder) + "/" + std::string(name);
        struct stat file {};
        if (::stat(candidate.c_str(), &file) == 0 && S_ISREG(file.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<DialogHelper> FindDialogHelpers(const Session& session) noexcept
{
    std::vector<DialogHelper> found;
    if ((!IsSet(session.wayland_display) && !IsSet(session.display)) || session.search_path == nullptr) {
        return found;
    }
    // As the libraries for this job do: each desktop's own helper first.
    const bool kde = IsSet(session.current_desktop) && ListHolds(session.current_desktop, "KDE");
    const Helper order[2] = {kde ? Helper::KDialog : Helper::Zenity, kde ? Helper::Zenity : Helper::KDialog};
    try {
        for (const Helper kind : order) {
            if (auto path = FindProgram(kind == Helper::Zenity ? "zenity" : "kdialog", session.search_path)) {
                found.push_back(DialogHelper{kind, std::move(*path), {}, {}});
            }
        }
    } catch (const std::bad_alloc&) {
        // Those found so far, or the terminal box, will do.
    }
    return found;
}

Status ReadVersion(DialogHelper& helper, std::chrono::milliseconds limit) noexcept
{
    helper.version = {};
    const int output = NewOutputFile();
    if (output < 0) {
        return Status::FromPosixError(errno);
    }
    Status status = kOk;
    try {
        int wait_status = 0;
        // Its error output is no part of it: GTK may say something there first.
        status = RunHelper(helper, {"--version"}, output, std::nullopt, limit, wait_status);
        if (!status.Failed() && WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 0) {
            // The first "major.minor" of "3.44.0" or "kdialog 22.12.3".
            const std::string text = posix::FileContents(output);
            const std::size_t start = text.find_first_of("0123456789");
            if (start != std::string::npos) {
                const char* end = text.data() + text.size();
                Version& version = helper.version;
                const auto [after_major, major_error] = std::from_chars(text.data() + start, end, version.major);
                if (major_error != std::errc() || after_major == end || *after_major != '.' ||
                    std::from_chars(after_major + 1, end, version.minor).ec != std::errc()) {
                    version = {};
                }
            }
        }
    } catch (const std::bad_alloc&) {
        helper.version = {};  // unknown: the newest arguments will do
    }
    ::close(output);
    // One that started and then ran out of time, or said no version, is
    // there all the same: its dialogs may still show.
    return status == Status::FromPosixError(ETIMEDOUT) ? kOk : status;
}

std::optional<DialogHelper> FirstThatStarts(std::vector<DialogHelper> candidates, Displays displays,
                                            std::string& unstartable) noexcept
{
    if (!displays.Any()) {
        return std::nullopt;
    }
    try {
        for (DialogHelper& helper : candidates) {
            helper.displays = displays;
            const Status status = ReadVersion(helper);
            if (!status.Failed()) {
                return std::move(helper);
            }
            unstartable += "osoby: pomocník dialogů " + helper.path +
                           " nelze spustit: " + std::string(DescribeStatus(status)) + " (" +
                           std::string(StatusCodeText(status).View()) + ")\n";
        }
    } catch (const std::bad_alloc&) {
        // The terminal box will do, without the word why.
    }
    return std::nullopt;
}

}  // namespace platform::desktop
