#include "platform/linux/desktop_dialog.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <new>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/failure.h"
#include "platform/posix/fd_io.h"
#include "platform/posix/terminal_charset.h"
#include "platform/posix/terminal_text.h"
#include "platform/visible_text.h"

extern char** environ;

namespace platform::desktop {
namespace {

// From 3.90 on, zenity is built on GTK 4: --icon-name is gone (3.9x) or
// names a theme icon, and an empty one shows a broken image (4.x); its text
// wraps at a few words unless the dialog is given a width.
constexpr Version kZenityOnGtk4{3, 90};

// kdialog up to 22.12 (Qt 5) has Qt add " — KDialog" to every title; 25.04
// (Qt 6) clears its display name, so titles stand alone. The releases in
// between were not tried: they, and a version that cannot be read, keep the
// room for the suffix, as a box wider than needed loses nothing.
constexpr Version kKDialogWithoutSuffix{25, 4};

// The signals that end the program while a dialog is up, as anyone may send
// them; the dialog goes too. Those that come of the program's own faults
// (SIGSEGV and the like) and SIGKILL end it without a word: the helper's
// parent-death signal ends the dialog then.
constexpr int kEndingSignals[] = {SIGTERM, SIGHUP,    SIGINT,  SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM,
                                  SIGPOLL, SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGPWR};

// How long a helper has to close its dialog once asked to.
constexpr std::chrono::seconds kGrace{2};

// Text for kdialog's label, given as Qt rich text so that nothing in it is
// taken for markup, with kdialog's own backslash escapes undone and line
// breaks and runs of spaces kept; at least `width` pixels wide.
std::string QtLiteral(std::string_view text, int width)
{
    std::string out = "<qt>";
    bool after_space = true;  // a line's first space would be dropped too
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
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
        case ' ':
            out += after_space ? "&nbsp;" : " ";
            break;
        default:
            out += c;
        }
        after_space = c == ' ' || c == '\n';
    }
    // An empty row of that width below the text; it adds 2 px of height.
    return out + "<table width=\"" + std::to_string(width) +
           "\" cellpadding=\"0\" cellspacing=\"0\"><tr><td></td></tr></table></qt>";
}

// A title for kdialog, which collapses runs of spaces in titles: every space
// after the first of a run is a no-break space, which looks the same.
std::string KdeTitle(std::string_view title)
{
    std::string out;
    bool after_space = true;
    for (const char c : title) {
        out += c == ' ' && after_space ? "\u00A0" : std::string(1, c);
        after_space = c == ' ';
    }
    return out;
}

// A toolkit's variable that picks its kind of display, and its names for them.
struct ToolkitVariable {
    std::string_view name;
    std::string_view wayland;
    std::string_view x;
    char separator;  // between the kinds of a list, each tried in turn

    // Whether the user's `value` stays: its first kind (as "wayland-egl"
    // is one of Wayland's) is of a display that answers.
    bool Kept(std::string_view value, Displays displays) const
    {
        const std::string_view first = value.substr(0, value.find(separator));
        return (displays.wayland && first.starts_with(wayland)) || (displays.x && first.starts_with(x));
    }
};
constexpr ToolkitVariable kToolkitVariables[] = {{"QT_QPA_PLATFORM", "wayland", "xcb", ';'},
                                                 {"GDK_BACKEND", "wayland", "x11", ','}};

// The toolkit variable that the environment entry `text` sets, if any.
const ToolkitVariable* ToolkitBackend(std::string_view text)
{
    for (const ToolkitVariable& variable : kToolkitVariables) {
        if (text.starts_with(variable.name) && text.substr(variable.name.size()).starts_with('=')) {
            return &variable;
        }
    }
    return nullptr;
}

// A file for a helper's output, at descriptor 3 or above: with a standard
// descriptor closed, the file would take its number, and the helper's own
// standard descriptor set up over it would lose what the helper said.
int NewOutputFile()
{
    return posix::AboveStandardStreams(::memfd_create("dialog-helper-output", MFD_CLOEXEC));
}

std::vector<char*> CStrings(const std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (const std::string& string : strings) {
        pointers.push_back(const_cast<char*>(string.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Whether whoever started the program had it ignore `signal`.
bool Ignored(int signal)
{
    struct sigaction action {};
    return ::sigaction(signal, nullptr, &action) == 0 && (action.sa_flags & SA_SIGINFO) == 0 &&
           action.sa_handler == SIG_IGN;
}

// Ends the helper's whole process group with `signal`, a helper started
// through a wrapper script included. Only while the helper itself is not yet
// reaped: until then its number, which names the group, is nobody else's.
void SignalGroup(pid_t child, int signal)
{
    static_cast<void>(::kill(-child, signal));  // none left in the group to take it: nothing to do
}

// Kills what is left of the helper's group, a helper that outstayed its
// grace included, and reaps the helper.
void Reap(pid_t child, int& wait_status)
{
    SignalGroup(child, SIGKILL);
    while (::waitpid(child, &wait_status, 0) < 0 && errno == EINTR) {
    }
}

// Starts the helper with no input, `output` as its standard output and
// `errors` as its error output (or nothing), with no signal blocked, and
// SIGPIPE (which this program ignores) and the `watched` signals at their
// defaults; an ending signal the program's starter ignored stays ignored.
// The helper leads a process group of its own, so that the ending signals
// reach all of it and not only a wrapper script, and the kernel kills it if
// the program dies without a word (SIGKILL, the OOM killer, a crash):
// posix_spawn can do the first but not the second, so fork and exec.
// Throws std::bad_alloc.
Status StartHelper(const std::string& path, const std::vector<std::string>& arguments, std::optional<int> output,
                   std::optional<int> errors, Displays displays, const sigset_t& watched, pid_t& child)
{
    std::vector<std::string> argv_strings{path};
    argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = CStrings(argv_strings);
    const std::vector<std::string> environment_strings = HelperEnvironment(environ, displays);
    const std::vector<char*> environment = CStrings(environment_strings);

    // The exec's error, if any, comes back through this pipe; its end closes
    // on a successful exec. Above the standard descriptors, which the child
    // sets up over its own.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return Status::FromPosixError(errno);
    }
    report[0] = posix::AboveStandardStreams(report[0]);
    report[1] = posix::AboveStandardStreams(report[1]);
    if (report[0] < 0 || report[1] < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return Status::FromPosixError(error);
    }
    const pid_t parent = ::getpid();
    child = ::fork();
    if (child == 0) {
        // Only async-signal-safe calls from here to the exec. The group is
        // set by the parent too (below).
        static_cast<void>(::setpgid(0, 0));
        // SIGKILL: nobody is left to give the helper a grace, and a stopped
        // one takes nothing else. It comes when the thread that started the
        // helper ends: the program's only thread.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) {
            ::_exit(127);  // the program is already gone
        }
        bool set_up = true;
        const std::optional<int> sources[3] = {std::nullopt, output, errors};
        for (int to = STDIN_FILENO; to <= STDERR_FILENO && set_up; ++to) {
            const int from = sources[to] ? *sources[to] : ::open("/dev/null", to == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            set_up = from >= 0 && (from == to || ::dup2(from, to) == to);
            if (set_up && !sources[to] && from != to) {
                ::close(from);
            }
        }
        struct sigaction default_action {};
        default_action.sa_handler = SIG_DFL;
        for (int signal = 1; signal < NSIG && set_up; ++signal) {
            if (signal == SIGPIPE || sigismember(&watched, signal) == 1) {
                ::sigaction(signal, &default_action, nullptr);
            }
        }
        sigset_t none;
        sigemptyset(&none);
        if (set_up && ::sigprocmask(SIG_SETMASK, &none, nullptr) == 0) {
            ::execve(path.c_str(), argv.data(), environment.data());
        }
        const int error = errno;
        // Where even this fails, the parent meets the exit code 127 instead.
        static_cast<void>(::write(report[1], &error, sizeof error));
        ::_exit(127);
    }
    const int fork_error = errno;
    ::close(report[1]);
    if (child < 0) {
        ::close(report[0]);
        return Status::FromPosixError(fork_error);
    }
    // Set by both, so that the group is there before either signals it;
    // the parent's call fails where the child has already run its exec.
    static_cast<void>(::setpgid(child, child));
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (got != 0) {
        int wait_status = 0;
        Reap(child, wait_status);
        return Status::FromPosixError(got == sizeof error ? error : EIO);
    }
    return kOk;
}

// Ends the helper: SIGTERM, and SIGCONT for a stopped one to take it; after
// the grace, SIGKILL for one that ignores it or stays stopped. All to its
// whole group.
void EndHelper(pid_t child, int& wait_status)
{
    SignalGroup(child, SIGTERM);
    SignalGroup(child, SIGCONT);
    const auto deadline = std::chrono::steady_clock::now() + kGrace;
    // Seen ended but not reaped (WNOWAIT), so that the group's number is
    // still its own for the SIGKILL to what is left of the group.
    siginfo_t info{};
    while (std::chrono::steady_clock::now() < deadline) {
        info.si_pid = 0;
        if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT | WNOHANG) == 0 && info.si_pid != 0) {
            break;
        }
        const timespec pause{0, 10'000'000};
        ::nanosleep(&pause, nullptr);
    }
    Reap(child, wait_status);
}

// Waits for the helper to end, at most `limit` where one is given, and for
// the `watched` signals, which are blocked. One that ends the program ends
// the helper first and is given back in `ending_signal`.
Status AwaitHelper(pid_t child, const sigset_t& watched, std::optional<std::chrono::milliseconds> limit,
                   int& wait_status, int& ending_signal)
{
    const auto deadline = std::chrono::steady_clock::now() + limit.value_or(std::chrono::milliseconds(0));
    for (;;) {
        const pid_t ended = ::waitpid(child, &wait_status, WNOHANG);
        if (ended == child) {
            return kOk;
        }
        if (ended < 0 && errno != EINTR) {
            return Status::FromPosixError(errno);
        }
        siginfo_t info{};
        int signal = 0;
        if (limit) {
            const auto left =
                std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - std::chrono::steady_clock::now());
            const timespec wait{static_cast<time_t>(left.count() / 1'000'000'000),
                                static_cast<long>(left.count() % 1'000'000'000)};
            signal = left.count() > 0 ? ::sigtimedwait(&watched, &info, &wait) : -1;
            if (signal < 0 && (left.count() <= 0 || errno == EAGAIN)) {
                // Too long: the helper is ended, and its answer is no answer.
                Reap(child, wait_status);
                return Status::FromPosixError(ETIMEDOUT);
            }
        } else {
            signal = ::sigwaitinfo(&watched, &info);
        }
        if (signal > 0 && signal != SIGCHLD) {
            ending_signal = signal;
            EndHelper(child, wait_status);
            return kOk;
        }
    }
}

// Runs the helper (see StartHelper) and waits for it (see AwaitHelper); a
// signal that ends the program ends it here, once the helper is gone.
// Gives the helper's wait status.
Status RunHelper(const DialogHelper& helper, const std::vector<std::string>& arguments, std::optional<int> output,
                 std::optional<int> errors, std::optional<std::chrono::milliseconds> limit, int& wait_status)
{
    // The child's end and the ending signals are waited for, not handled:
    // blocked, so that none is missed between the start and the wait.
    sigset_t watched;
    sigset_t previous;
    sigemptyset(&watched);
    sigaddset(&watched, SIGCHLD);
    for (const int signal : kEndingSignals) {
        sigaddset(&watched, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &watched, &previous);
    // One that whoever started the program blocked or ignored is left so,
    // for the program and for its helper.
    for (const int signal : kEndingSignals) {
        if (sigismember(&previous, signal) == 1 || Ignored(signal)) {
            sigdelset(&watched, signal);
        }
    }
    pid_t child = -1;
    int ending_signal = 0;
    Status status = kOutOfMemory;
    try {
        status = StartHelper(helper.path, arguments, output, errors, helper.displays, watched, child);
        if (!status.Failed()) {
            status = AwaitHelper(child, watched, limit, wait_status, ending_signal);
        }
    } catch (const std::bad_alloc&) {
        status = kOutOfMemory;
    }
    if (ending_signal != 0) {
        // Ends the program as the signal would have, once it is unblocked.
        ::signal(ending_signal, SIG_DFL);
        ::raise(ending_signal);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return status;
}

}  // namespace

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

std::vector<std::string> DialogArguments(const DialogHelper& helper, std::string_view prompt, BoxStyle style,
                                         std::string_view title)
{
    // Control characters shown visibly and invalid UTF-8 replaced, as in a
    // terminal; line breaks stay.
    const std::string safe_prompt = VisibleText(prompt, true);
    const std::string safe_title = VisibleText(title, false);
    if (helper.kind == Helper::KDialog) {
        // kdialog sizes its box to the text, and the window manager cuts a
        // title wider than that; --geometry places a message box but does
        // not size it (22.12). So the text is made wide enough: 10 px for
        // each column of the title and any suffix (a bound for title fonts
        // of 10 pt, bold ones included) and 100 px for the title bar's icon
        // and buttons, less the 72 px the box has beside its text.
        const std::string shown_title = KdeTitle(safe_title);
        const int suffix = helper.version < kKDialogWithoutSuffix ? 10 : 0;  // " — KDialog"
        const int columns = terminal::DisplayWidth(shown_title) + suffix;
        // kdialog has no box without an icon; a plain box shows the information icon.
        return {"--title=" + shown_title, (style == BoxStyle::Warning ? "--sorry=" : "--msgbox=") +
                                              QtLiteral(safe_prompt, columns * 10 + 100 - 72)};
    }
    std::vector<std::string> arguments{style == BoxStyle::Warning ? "--warning" : "--info", "--no-markup",
                                       "--title=" + safe_title, "--text=" + safe_prompt};
    // A version that cannot be read is taken for the newest.
    const bool on_gtk4 = helper.version == Version{} || helper.version >= kZenityOnGtk4;
    if (on_gtk4) {
        // No icon cannot be asked for there: a plain box shows the information icon.
        arguments.emplace_back("--width=420");
    } else if (style == BoxStyle::Plain) {
        arguments.emplace_back("--icon-name=");  // no icon
    }
    return arguments;
}

std::vector<std::string> HelperEnvironment(const char* const* environment, Displays displays)
{
    // The helper's toolkit takes its locale with setlocale(LC_ALL, ""), which
    // the C library refuses as a whole where any one category names a locale
    // that is not installed (a LANG forwarded by ssh, set in a container
    // image), leaving the C locale: zenity then takes the texts for ASCII and
    // refuses them ("This option is not available"). So where a category's
    // locale is missing, or the characters' is not UTF-8 as every text is,
    // each category is named outright: the caller's where it is installed,
    // C.UTF-8 where not.
    constexpr std::string_view kCategories[] = {"LC_CTYPE",    "LC_NUMERIC",   "LC_TIME",        "LC_COLLATE",
                                                "LC_MONETARY", "LC_MESSAGES",  "LC_PAPER",       "LC_NAME",
                                                "LC_ADDRESS",  "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"};
    std::vector<std::string> named;
    bool as_it_is = true;
    for (const std::string_view variable : kCategories) {
        const std::string_view locale = terminal::CategoryLocale(environment, variable);
        const bool usable = variable == "LC_CTYPE" ? terminal::IsUtf8Charset(terminal::InstalledCharset(locale))
                                                   : terminal::LocaleInstalled(locale);
        as_it_is = as_it_is && usable;
        named.push_back(std::string(variable) + "=" + std::string(!usable ? "C.UTF-8" : locale.empty() ? "C" : locale));
    }

    std::vector<std::string> out;
    for (const char* const* entry = environment; *entry != nullptr; ++entry) {
        const std::string_view text = *entry;
        if (text.starts_with("ZENITY_") || text.starts_with("DIALOG_")) {
            continue;  // exit codes of the caller's choosing
        }
        const ToolkitVariable* backend = ToolkitBackend(text);
        if (backend != nullptr && displays.Any() && !backend->Kept(text.substr(backend->name.size() + 1), displays)) {
            continue;  // names a display that does not answer, or none
        }
        const std::string_view variable = text.substr(0, text.find('='));
        if (!as_it_is && (variable == "LC_ALL" || std::ranges::find(kCategories, variable) != std::end(kCategories))) {
            continue;  // named below; LANG stays, as no category falls back on it any more
        }
        out.emplace_back(text);
    }
    if (!as_it_is) {
        out.insert(out.end(), named.begin(), named.end());
    }
    // Qt takes X where XDG_SESSION_TYPE does not say "wayland" (unset in a
    // service, `sudo`, tmux or SSH), and GTK Wayland where WAYLAND_DISPLAY
    // names one, whether either answers or not.
    for (const ToolkitVariable& variable : kToolkitVariables) {
        if (displays.wayland != displays.x &&
            !variable.Kept(terminal::EnvironmentValue(environment, variable.name), displays)) {
            out.push_back(std::string(variable.name) + "=" +
                          std::string(displays.wayland ? variable.wayland : variable.x));
        }
    }
    for (const char* code : {"ZENITY_OK=0", "ZENITY_CANCEL=0", "ZENITY_ESC=0", "ZENITY_ERROR=255"}) {
        out.emplace_back(code);
    }
    return out;
}

bool Dismissed(Helper helper, int exit_code) noexcept
{
    return exit_code == 0 || (helper == Helper::KDialog && exit_code == 2);
}

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
