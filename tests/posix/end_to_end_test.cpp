// Runs the built program as a user would and reads what it shows.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/read_all.h"

namespace {

using testing_support::ReadAll;

struct Outcome {
    std::string out;
    std::string err;
    int status = -1;  // as from waitpid
};

enum class Output { Pipe, DevFull, Closed, PipeClosedByReader };

// In a forked child: runs the program, which must end within 10 s. A run
// that hangs is ended by SIGALRM, which the test reports, instead of
// hanging the test.
[[noreturn]] void ExecProgram(const char* program = OSOBY_EXECUTABLE, const char* argument = nullptr,
                              const char* second = nullptr)
{
    ::alarm(10);
    ::execl(program, program, argument, second, static_cast<char*>(nullptr));
    std::perror(program);
    ::_exit(127);
}

// Runs the program with no input, its standard output as asked, and the
// command line arguments if any.
Outcome RunProgram(Output output, const char* argument, const char* second)
{
    int out[2], err[2];
    EXPECT_EQ(::pipe(out), 0);
    EXPECT_EQ(::pipe(err), 0);
    if (output == Output::PipeClosedByReader) {
        ::close(out[0]);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        if (output == Output::Closed) {
            ::close(STDOUT_FILENO);
        } else {
            ::dup2(output == Output::DevFull ? ::open("/dev/full", O_WRONLY) : out[1], STDOUT_FILENO);
        }
        // The test runner may ignore SIGPIPE; the program must not rely on it.
        ::signal(SIGPIPE, SIG_DFL);
        // The terminal box, even when the tests run on a desktop.
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ExecProgram(OSOBY_EXECUTABLE, argument, second);
    }
    ::close(out[1]);
    ::close(err[1]);
    Outcome outcome;
    if (output != Output::PipeClosedByReader) {
        outcome.out = ReadAll(out[0]);
        ::close(out[0]);
    }
    outcome.err = ReadAll(err[0]);
    ::close(err[0]);
    ::waitpid(child, &outcome.status, 0);
    return outcome;
}

// What the program must show on the machine's day: every run since 21.11.1999.
void RequireTodayAfter1999()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ASSERT_NE(::localtime_r(&now, &local), nullptr);
    ASSERT_GE(local.tm_year + 1900, 2000) << "this machine's clock is not set";
}

// What a run with no input writes into a pipe or a file.
constexpr const char* kPlainLines =
    "Informace o Osobě: Nevyplněno Nevyplněno narozen dne: Nevyplněno\n"
    "Informace o Osobě: Tarn Zíbal narozen dne: 1.1.1970\n"
    "Informace o Osobě: Ostin Murav narozen dne: 20.11.1972\n"
    "(i) Osoby: Tarn Zíbal je starší než Ostin Murav\n";

}  // namespace

TEST(EndToEnd, RunsThroughWithNoInputOrEndsWithAReportAndAnExitCode)
{
    RequireTodayAfter1999();
    const std::string failed = "osoby: operace ZobrazVse osoby A selhala: ";
    const std::string refused = "osoby: neznámý argument „";
    const std::string help = "Použití: osoby [--help | --version]\n\nUkázka objektu osoby: zobrazí";
    struct Case {
        Output output;
        std::string out;  // the help is checked by its start
        std::string err;
        int exit_code;
        const char* argument = nullptr;
        const char* second = nullptr;
    };
    for (const Case& run :
         {Case{Output::Pipe, kPlainLines, "", 0},
          Case{Output::DevFull, "", failed + "No space left on device (errno 28)\n", 1},
          Case{Output::Closed, "", failed + "Bad file descriptor (errno 9)\n", 1},
          Case{Output::PipeClosedByReader, "", failed + "Broken pipe (errno 32)\n", 1},
          Case{Output::Pipe, "osoby " OSOBY_VERSION "\n", "", 0, "--version"},
          Case{Output::Pipe, help, "", 0, "--help"},
          Case{Output::DevFull, "", "osoby: výpis selhal: No space left on device\n", 1, "--version"},
          Case{Output::Pipe, "", refused + "--versionx“; nápovědu vypíše osoby --help\n", 2, "--versionx"},
          Case{Output::Pipe, "", refused + "x“; nápovědu vypíše osoby --help\n", 2, "--help", "x"},
          Case{Output::Pipe, "", refused + "x“; nápovědu vypíše osoby --help\n", 2, "--version", "x"},
          Case{Output::Pipe, "", refused + "-^[[2J<U+202E>“; nápovědu vypíše osoby --help\n", 2, "-\x1b[2J\u202e"},
          Case{Output::Pipe, "", refused + "“; nápovědu vypíše osoby --help\n", 2, ""}}) {
        SCOPED_TRACE(run.err);
        const Outcome outcome = RunProgram(run.output, run.argument, run.second);
        EXPECT_EQ(run.out == help ? outcome.out.substr(0, help.size()) : outcome.out, run.out);
        EXPECT_EQ(outcome.err, run.err);
        ASSERT_TRUE(WIFEXITED(outcome.status)) << "killed by signal " << WTERMSIG(outcome.status);
        EXPECT_EQ(WEXITSTATUS(outcome.status), run.exit_code);
    }
}

namespace {

// Named by this process, as other runs of the tests may share the folder.
const std::string kProgramForAnyone = testing::TempDir() + "osoby-for-anyone-" + std::to_string(::getpid());

// How the program's standard descriptors meet the terminal, where not all on it.
enum Wiring : unsigned {
    kOutputIntoFile = 1,
    kOutputClosed = 2,
    kReadOnlyInput = 4,      // as `osoby </dev/tty` opens it
    kOthersTerminal = 8,     // one that its name does not open, as after su
    kInterruptIgnored = 16,  // as nohup and a script's background job leave SIGINT
};

// The program on a terminal `columns` wide, left by a parent in the modes
// that `stty` makes of a new terminal's, with `locale` ("LC_CTYPE=x LANG=y")
// as its only locale settings, and its descriptors wired as asked.
class TerminalRun {
public:
    TerminalRun(int columns, const char* locale, unsigned wiring, const std::string& output_file,
                void (*stty)(termios&))
    {
        winsize size{24, static_cast<unsigned short>(columns), 0, 0};  // rows, columns
        int fresh = -1;  // a new terminal's modes, as the parent found them
        EXPECT_EQ(::openpty(&terminal_, &fresh, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(::tcgetattr(fresh, &modes_), 0);
        ::close(terminal_);
        ::close(fresh);
        if (stty != nullptr) {
            stty(modes_);
        }
        child_ = ::forkpty(&terminal_, nullptr, &modes_, &size);
        if (child_ == 0) {
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "LC_ALL", "LC_CTYPE", "LANG"}) {
                ::unsetenv(name);
            }
            std::string settings = locale;
            for (char* setting = std::strtok(settings.data(), " "); setting; setting = std::strtok(nullptr, " ")) {
                ::putenv(setting);
            }
            if (wiring & kReadOnlyInput) {
                ::dup2(::open("/proc/self/fd/0", O_RDONLY | O_CLOEXEC), STDIN_FILENO);
            }
            if (wiring & kOutputIntoFile) {
                ::dup2(::open(output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            }
            if (wiring & kOutputClosed) {
                ::close(STDOUT_FILENO);
            }
            if (wiring & kInterruptIgnored) {
                ::signal(SIGINT, SIG_IGN);
            }
            if ((wiring & kOthersTerminal) &&
                (::fchmod(STDIN_FILENO, 0) != 0 || (::getuid() == 0 && ::setuid(65534) != 0))) {
                ::_exit(126);
            }
            // As another user, the program from where anyone may run it (the
            // build folder may be in root's home, which others cannot enter).
            ExecProgram(wiring & kOthersTerminal ? kProgramForAnyone.c_str() : OSOBY_EXECUTABLE);
        }
    }
    ~TerminalRun() { ::close(terminal_); }

    // Reads what the terminal shows until `done`, or until `limit` passes.
    bool AwaitThat(const auto& done, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{terminal_, POLLIN, 0};
            char buffer[1024];
            ssize_t got = 0;
            if (::poll(&ready, 1, 10) > 0 && (got = ::read(terminal_, buffer, sizeof buffer)) > 0) {
                screen.append(buffer, static_cast<std::size_t>(got));
            }
        }
        return done();
    }
    bool Await(const std::string& wanted)
    {
        return AwaitThat([&] { return screen.find(wanted) != std::string::npos; });
    }
    // Types each part of `keys` ("\n|\n") once the program, waiting still
    // after 30 ms, has drawn more than their echo since the last part: the
    // next box.
    void Answer(std::string_view keys)
    {
        for (std::size_t start = 0, end = 0; end != std::string_view::npos; start = end + 1) {
            end = keys.find('|', start);
            const std::string_view part = keys.substr(start, end - start);
            AwaitThat([] { return false; }, std::chrono::milliseconds(30));
            const std::size_t shown = screen.size();
            EXPECT_EQ(::write(terminal_, part.data(), part.size()), static_cast<ssize_t>(part.size()));
            if (end != std::string_view::npos) {
                EXPECT_TRUE(AwaitThat([&] { return screen.size() > shown + 8; })) << "no box after " << start;
            }
        }
    }
    // The exit code once the program has ended (within ExecProgram's 10 s), or
    // 128 and the signal that ended it.
    int ExitCode()
    {
        int status = -1;
        ::waitpid(child_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    // Whether the terminal is in the modes the parent left it in.
    bool ModesRestored()
    {
        termios now{};
        return ::tcgetattr(terminal_, &now) == 0 && now.c_iflag == modes_.c_iflag && now.c_oflag == modes_.c_oflag &&
               now.c_lflag == modes_.c_lflag && std::memcmp(now.c_cc, modes_.c_cc, sizeof now.c_cc) == 0;
    }

    std::string screen;

private:
    int terminal_ = -1;
    pid_t child_ = -1;
    termios modes_{};
};

}  // namespace

TEST(EndToEnd, EveryTerminalShowsEveryBoxReadably)
{
    RequireTodayAfter1999();
    const std::string file = testing::TempDir() + "osoby-output-" + std::to_string(::getpid());
    std::filesystem::copy_file(OSOBY_EXECUTABLE, kProgramForAnyone, std::filesystem::copy_options::overwrite_existing);
    const struct Scratch {
        std::string file;
        ~Scratch()
        {
            std::filesystem::remove(file);
            std::filesystem::remove(kProgramForAnyone);
        }
    } scratch{file};
    const char* failed = "osoby: operace ZobrazVse osoby A selhala: Bad file descriptor (errno 9)";
    const char* utf8 = "LANG=C.UTF-8";
    const char* each = "\n|\n|\n|\n";  // Enter for each box
    struct Case {
        const char* what;
        const char* first_box;  // as the terminal shows it
        const char* last_box;
        unsigned wiring = 0;
        const char* keys = "\n|\n|\n|\n";  // typed once the first box is up, each part once the next is (see Answer)
        const char* locale = "LANG=C.UTF-8";
        int exit_code = 0;
        int columns = 80;
        void (*stty)(termios&) = nullptr;
    };
    const auto raw = +[](termios& modes) { ::cfmakeraw(&modes); };  // as `stty raw -echo`
    for (const Case& terminal : {
             Case{"40 columns: each box framed and wrapped to them", "│ Nevyplněno Nevyplněno narozen dne: │",
                  "│ (i) Tarn Zíbal je starší než Ostin │", 0, each, utf8, 0, 40},
             Case{"narrower than any box, output into a file: plain lines on the terminal too",
                  "Informace o Osobě: Nevyplněno Nevyplněno narozen dne: Nevyplněno\r\n",
                  "(i) Osoby: Tarn Zíbal je starší než Ostin Murav", kOutputIntoFile, each, utf8, 0, 23},
             Case{"output into a file: the boxes on the terminal all the same, the narrowest too",
                  "┌─ Informace o Osobě ─", "┌─ Osoby ─", kOutputIntoFile, each, utf8, 0, 24},
             Case{"the same on a terminal read-only, not ours to open by name (after su)", "┌─ Informace o Osobě ─",
                  "┌─ Osoby ─", kOutputIntoFile | kOthersTerminal | kReadOnlyInput},
             Case{"the same read-write", "┌─ Informace o Osobě ─", "┌─ Osoby ─", kOutputIntoFile | kOthersTerminal},
             Case{"output closed: the failure report, no box", failed, failed, kOutputClosed, "", utf8, 1},
             Case{"the same with the input read-only", failed, failed, kOutputClosed | kReadOnlyInput, "", utf8, 1},
             Case{"Ctrl-D once ends the input for every box, in a terminal left raw too", "┌─ Informace o Osobě ─",
                  "┌─ Osoby ─", 0, "\x04", utf8, 0, 80, raw},
             Case{"left raw, line ends not made CR LF: Enter (CR) answers each box, drawn with lines from the left",
                  "┐\r\n│ Nevyplněno", "┌─ Osoby ─", 0, "\r|\r|\r|\r", utf8, 0, 80,
                  +[](termios& modes) {
                      ::cfmakeraw(&modes);
                      modes.c_oflag &= ~tcflag_t{ONLCR};
                  }},
             Case{"left raw: Ctrl-C ends the run as SIGINT does", "┌─ Informace o Osobě ─", "┌─ Informace o Osobě ─", 0,
                  "\x03", utf8, 128 + SIGINT, 80, raw},
             Case{"started with SIGINT ignored (nohup): Ctrl-C leaves the box waiting for its Enter",
                  "┌─ Informace o Osobě ─", "┌─ Osoby ─", kInterruptIgnored, "\x03\r|\r|\r|\r", utf8, 0, 80, raw},
             Case{"left with CR not read as Enter: Enter answers all the same", "┌─ Informace o Osobě ─", "┌─ Osoby ─",
                  0, "\r|\r|\r|\r", utf8, 0, 80, +[](termios& modes) { modes.c_iflag &= ~tcflag_t{ICRNL}; }},
             Case{"left reading keys at once, with none there at once: each box waits for its Enter",
                  "┌─ Informace o Osobě ─", "┌─ Osoby ─", 0, each, utf8, 0, 80,
                  +[](termios& modes) {
                      modes.c_lflag &= ~tcflag_t{ICANON};
                      modes.c_cc[VMIN] = modes.c_cc[VTIME] = 0;
                  }},
             Case{"a double Enter answers one box: keys typed before a box are not its answer",
                  "┌─ Informace o Osobě ─", "┌─ Osoby ─", 0, "\n\n|\n\n|\n\n|\n"},
             Case{"a Latin-2 terminal, as LC_ALL says before LC_CTYPE and LANG: its own bytes, an ASCII frame",
                  "+- Informace o Osob\354 -", "| Tarn Z\355bal narozen dne: 1.1.1970 |", 0, each,
                  "LC_ALL=cs_CZ.ISO-8859-2 LC_CTYPE=C.UTF-8 LANG=C.UTF-8"},
             Case{"LC_CTYPE before LANG, an empty LC_ALL as unset", "┌─ Informace o Osobě ─", "┌─ Osoby ─", 0, each,
                  "LC_ALL= LC_CTYPE=C.UTF-8 LANG=cs_CZ.ISO-8859-2"},
             Case{
                 "a Latin-1 terminal: what it lacks transliterated, the box's own words too",
                 "| Nevyplneno Nevyplneno narozen dne: Nevyplneno |\r\n|                                               "
                 "|\r\n|                    [ OK ]                     |\r\n+--------------- stisknete Enter "
                 "---------------+",
                 "| (i) Tarn Z\355bal je stars\355 nez Ostin Murav |", 0, each, "LANG=en_US.ISO-8859-1"},
         }) {
        SCOPED_TRACE(terminal.what);
        TerminalRun run(terminal.columns, terminal.locale, terminal.wiring, file, terminal.stty);
        ASSERT_TRUE(run.Await(terminal.first_box)) << run.screen;
        run.Answer(terminal.keys);
        ASSERT_TRUE(run.Await(terminal.last_box)) << run.screen;
        EXPECT_EQ(run.ExitCode(), terminal.exit_code);
        EXPECT_TRUE(run.ModesRestored()) << "the terminal as the parent left it";
        if (terminal.columns < 24 || terminal.exit_code == 1) {
            EXPECT_EQ(run.screen.find("┌"), std::string::npos) << "no frame that the terminal would break, or no box";
        }
        if (terminal.wiring & kOutputIntoFile) {
            std::ifstream output(file);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(output), {}), kPlainLines);
        }
    }
}
