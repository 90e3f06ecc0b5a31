#include "platform/linux/desktop_dialog.h"

#include <cerrno>
#include <new>

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/fd_io.h"
#include "platform/visible_text.h"

extern char** environ;

namespace platform::desktop {
namespace {

bool IsSet(const char* variable)
{
    return variable != nullptr && *variable != '\0';
}

std::optional<std::string> FindProgram(std::string_view name, std::string_view search_path)
{
    while (!search_path.empty()) {
        const std::size_t colon = search_path.find(':');
        const std::string_view folder = search_path.substr(0, colon);
        search_path.remove_prefix(colon == std::string_view::npos ? search_path.size() : colon + 1);
        // An empty entry means the working folder; a dialog is no reason to run whatever lies there.
        if (folder.empty()) {
            continue;
        }
        std::string candidate = std::string(folder) + "/" + std::string(name);
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

// Text for a Qt label, which takes anything that looks like markup as
// markup: given as rich text with every special character escaped, it is
// shown exactly.
std::string QtLiteral(std::string_view text)
{
    std::string out = "<qt>";
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\n':
            out += "<br>";
            break;
        default:
            out += c;
        }
    }
    return out + "</qt>";
}

// All that the helper wrote to its error output. Throws std::bad_alloc.
std::string ErrorOutput(int error_output)
{
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::pread(error_output, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

// Starts the helper with no input, its output discarded and its error output
// kept in `error_output`, and waits for it to end.
Status RunHelper(const std::string& path, const std::vector<std::string>& arguments, int error_output)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (const int error = ::posix_spawn_file_actions_init(&actions); error != 0) {
        return Status::FromPosixError(error);
    }
    int error = ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (error == 0) {
        error = ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    if (error == 0) {
        error = ::posix_spawn_file_actions_adddup2(&actions, error_output, STDERR_FILENO);
    }
    pid_t child = -1;
    if (error == 0) {
        error = ::posix_spawn(&child, path.c_str(), &actions, nullptr, argv.data(), environ);
    }
    ::posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        return Status::FromPosixError(error);
    }

    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return Status::FromPosixError(errno);
        }
    }
    // 0 is OK.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return kOk;
    }
    // 1 is the close button or Escape, but zenity also exits with 1 when it
    // cannot reach the display; only its words tell the two apart. A crash or
    // any other exit failed.
    const std::string errors = ErrorOutput(error_output);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 1 && errors.find("cannot open display") == std::string::npos) {
        return kOk;
    }
    // A helper that failed has usually said why; the user reads that just
    // before the failure report. Only a hint on the way to that report, so if
    // standard error fails, the report will meet that too.
    static_cast<void>(posix::WriteAll(STDERR_FILENO, errors));
    return kDialogFailed;
}

}  // namespace

std::optional<DialogHelper> FindDialogHelper(const char* wayland_display, const char* display,
                                             const char* search_path) noexcept
{
    if ((!IsSet(wayland_display) && !IsSet(display)) || search_path == nullptr) {
        return std::nullopt;
    }
    try {
        if (auto path = FindProgram("zenity", search_path)) {
            return DialogHelper{Helper::Zenity, std::move(*path)};
        }
        if (auto path = FindProgram("kdialog", search_path)) {
            return DialogHelper{Helper::KDialog, std::move(*path)};
        }
    } catch (const std::bad_alloc&) {
        // The terminal box will do.
    }
    return std::nullopt;
}

std::vector<std::string> DialogArguments(Helper helper, std::string_view prompt, BoxStyle style, std::string_view title)
{
    // Control characters shown visibly and invalid UTF-8 replaced, as in a
    // terminal; line breaks stay.
    const std::string safe_prompt = platform::VisibleText(prompt, true);
    const std::string safe_title = platform::VisibleText(title, false);
    if (helper == Helper::Zenity) {
        std::vector<std::string> arguments{style == BoxStyle::Warning ? "--warning" : "--info", "--no-markup",
                                           "--title=" + safe_title, "--text=" + safe_prompt};
        if (style == BoxStyle::Plain) {
            arguments.emplace_back("--icon-name=");  // no icon
        }
        return arguments;
    }
    // kdialog has no box without an icon; a plain box shows the information icon.
    return {"--title=" + safe_title, (style == BoxStyle::Warning ? "--sorry=" : "--msgbox=") + QtLiteral(safe_prompt)};
}

DesktopDialogMsgBox::DesktopDialogMsgBox(DialogHelper helper) noexcept : helper_(std::move(helper)) {}

Status DesktopDialogMsgBox::Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept
{
    const int error_output = ::memfd_create("dialog-errors", MFD_CLOEXEC);
    if (error_output < 0) {
        return Status::FromPosixError(errno);
    }
    Status status = kOk;
    try {
        status = RunHelper(helper_.path, DialogArguments(helper_.kind, prompt, style, title), error_output);
    } catch (const std::bad_alloc&) {
        status = kOutOfMemory;
    }
    ::close(error_output);
    return status;
}

}  // namespace platform::desktop
