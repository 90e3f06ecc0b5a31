// Runs the built program as a user would and reads what it shows.
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
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

// In a forked child: runs the program, which must end within 30 s. A run
// that hangs is ended by SIGALRM, which the test reports, instead of
// hanging the test.
[[noreturn]] void ExecProgram()
{
    ::alarm(30);
    ::execl(OSOBY_EXECUTABLE, OSOBY_EXECUTABLE, static_cast<char*>(nullptr));
    ::_exit(127);
}

// Runs the program with no input and its standard output as asked.
Outcome RunProgram(Output output)
{
    int out[2];
    int err[2];
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
        switch (output) {
        case Output::Pipe:
        case Output::PipeClosedByReader:
            ::dup2(out[1], STDOUT_FILENO);
            break;
        case Output::DevFull:
            ::dup2(::open("/dev/full", O_WRONLY), STDOUT_FILENO);
            break;
        case Output::Closed:
            ::close(STDOUT_FILENO);
            break;
        }
        // The test runner may ignore SIGPIPE; the program must not rely on it.
        ::signal(SIGPIPE, SIG_DFL);
        // The terminal box, even when the tests run on a desktop.
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ExecProgram();
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

void ExpectFailedCleanly(const Outcome& outcome)
{
    ASSERT_TRUE(WIFEXITED(outcome.status)) << "killed by signal " << WTERMSIG(outcome.status);
    EXPECT_EQ(WEXITSTATUS(outcome.status), 1);
    EXPECT_NE(outcome.err.find("osoby: operace ZobrazVse osoby A selhala: "), std::string::npos) << outcome.err;
}

}  // namespace

TEST(EndToEnd, RunsThroughWithNoInput)
{
    RequireTodayAfter1999();
    const Outcome outcome = RunProgram(Output::Pipe);
    EXPECT_EQ(outcome.out,
              "Informace o Osobě: Nevyplněno Nevyplněno narozen dne: Nevyplněno\n"
              "Informace o Osobě: Tarn Zíbal narozen dne: 1.1.1970\n"
              "Informace o Osobě: Ostin Murav narozen dne: 20.11.1972\n"
              "(i) Osoby: Tarn Zíbal je starší než Ostin Murav\n");
    EXPECT_EQ(outcome.err, "");
    ASSERT_TRUE(WIFEXITED(outcome.status));
    EXPECT_EQ(WEXITSTATUS(outcome.status), 0);
}

TEST(EndToEnd, UnwritableOutputEndsWithAReportAndAnExitCode)
{
    {
        SCOPED_TRACE("full disk");
        const Outcome outcome = RunProgram(Output::DevFull);
        ExpectFailedCleanly(outcome);
        EXPECT_NE(outcome.err.find("No space left on device (errno 28)"), std::string::npos) << outcome.err;
    }
    {
        SCOPED_TRACE("closed output");
        ExpectFailedCleanly(RunProgram(Output::Closed));
    }
    {
        SCOPED_TRACE("pipe closed by its reader");
        const Outcome outcome = RunProgram(Output::PipeClosedByReader);
        ExpectFailedCleanly(outcome);
        EXPECT_NE(outcome.err.find("Broken pipe"), std::string::npos) << outcome.err;
    }
}

namespace {

// The program on a terminal `columns` wide, with `locale` as its only locale
// setting, and its output into `output_file` where one is named.
class TerminalRun {
public:
    TerminalRun(int columns, const char* locale, const std::string& output_file = "")
    {
        winsize size{};
        size.ws_col = static_cast<unsigned short>(columns);
        size.ws_row = 24;
        child_ = ::forkpty(&terminal_, nullptr, nullptr, &size);
        if (child_ == 0) {
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            ::unsetenv("LC_ALL");
            ::unsetenv("LC_CTYPE");
            ::setenv("LANG", locale, 1);
            if (!output_file.empty()) {
                ::dup2(::open(output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            }
            ExecProgram();
        }
    }
    ~TerminalRun() { ::close(terminal_); }

    // Reads what the terminal shows until `wanted` appears, or 10 s pass.
    bool Await(const std::string& wanted)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (screen.find(wanted) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{terminal_, POLLIN, 0};
            char buffer[1024];
            ssize_t got = 0;
            if (::poll(&ready, 1, 100) > 0 && (got = ::read(terminal_, buffer, sizeof buffer)) > 0) {
                screen.append(buffer, static_cast<std::size_t>(got));
            }
        }
        return screen.find(wanted) != std::string::npos;
    }
    void Type(std::string_view keys)
    {
        EXPECT_EQ(::write(terminal_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // The exit code once the program has ended, or -1 where it did not exit.
    int ExitCode()
    {
        int status = -1;
        ::waitpid(child_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string screen;

private:
    int terminal_ = -1;
    pid_t child_ = -1;
};

}  // namespace

TEST(EndToEnd, OnATerminalEachBoxIsFramedAndWaitsForEnter)
{
    RequireTodayAfter1999();
    TerminalRun run(40, "C.UTF-8");
    const char* boxes[] = {"│ Nevyplněno Nevyplněno narozen dne: │", "│ Tarn Zíbal narozen dne: 1.1.1970 │",
                           "│ Ostin Murav narozen dne: 20.11.1972 │", "│ (i) Tarn Zíbal je starší než Ostin │"};
    for (const char* box : boxes) {
        EXPECT_TRUE(run.Await(box)) << "waiting for " << box << " in:\n" << run.screen;
        run.Type("\n");
    }
    EXPECT_EQ(run.ExitCode(), 0);
    EXPECT_NE(run.screen.find("┌─ Osoby ─"), std::string::npos) << run.screen;
    EXPECT_NE(run.screen.find("─ stiskněte Enter ─"), std::string::npos) << "the box says how to answer it";
}

TEST(EndToEnd, EveryTerminalShowsEveryBoxReadably)
{
    RequireTodayAfter1999();
    const std::string file = testing::TempDir() + "osoby-output";
    const std::string plain_lines =
        "Informace o Osobě: Nevyplněno Nevyplněno narozen dne: Nevyplněno\n"
        "Informace o Osobě: Tarn Zíbal narozen dne: 1.1.1970\n"
        "Informace o Osobě: Ostin Murav narozen dne: 20.11.1972\n"
        "(i) Osoby: Tarn Zíbal je starší než Ostin Murav\n";
    struct Case {
        const char* what;
        int columns;
        const char* locale;
        bool into_file;
        const char* first_box;  // as the terminal shows it
        const char* keys;       // typed once the first box is up
        const char* last_box;
    };
    for (const Case& terminal : {
             Case{"narrower than any box: plain lines", 20, "C.UTF-8", false,
                  "Informace o Osobě: Nevyplněno Nevyplněno narozen dne: Nevyplněno\r\n", "\n\n\n\n",
                  "(i) Osoby: Tarn Zíbal je starší než Ostin Murav"},
             Case{"output into a file: the boxes on the terminal all the same", 80, "C.UTF-8", true,
                  "┌─ Informace o Osobě ─", "\n\n\n\n", "┌─ Osoby ─"},
             Case{"Ctrl-D once ends the input for every box", 80, "C.UTF-8", false, "┌─ Informace o Osobě ─", "\x04",
                  "┌─ Osoby ─"},
             Case{"a Latin-2 terminal: its own bytes, an ASCII frame", 80, "cs_CZ.ISO-8859-2", false,
                  "+- Informace o Osob\354 -", "\n\n\n\n", "| Tarn Z\355bal narozen dne: 1.1.1970 |"},
         }) {
        SCOPED_TRACE(terminal.what);
        TerminalRun run(terminal.columns, terminal.locale, terminal.into_file ? file : "");
        EXPECT_TRUE(run.Await(terminal.first_box)) << run.screen;
        run.Type(terminal.keys);
        EXPECT_TRUE(run.Await(terminal.last_box)) << run.screen;
        EXPECT_EQ(run.ExitCode(), 0);
        if (terminal.columns < 24) {
            EXPECT_EQ(run.screen.find("┌"), std::string::npos) << "no frame that the terminal would break";
        }
        if (terminal.into_file) {
            std::ifstream output(file);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(output), {}), plain_lines);
        }
    }
}
