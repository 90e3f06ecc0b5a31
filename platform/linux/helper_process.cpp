#include "platform/linux/helper_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <new>

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/helper_arguments.h"
#include "platform/posix/fd_io.h"

extern char** environ;

namespace platform::desktop {

int NewOutputFile()
{
    return posix::AboveStandardStreams(::memfd_create("dialog-helper-output", MFD_CLOEXEC));
}

namespace {

// The signals that end the program while a dialog is up, as anyone may send
// them; the dialog goes too. Those that come of the program's own faults
// (SIGSEGV and the like) and SIGKILL end it without a word: the helper's
// parent-death signal ends the dialog then.
constexpr int kEndingSignals[] = {SIGTERM, SIGHUP,    SIGINT,  SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM,
                                  SIGPOLL, SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGPWR};

// How long a helper has to close its dialog once asked to.
constexpr std::chrono::seconds kGrace{2};

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

}  // namespace

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

}  // namespace platform::desktop
