// Runs the built program as a user would and reads what it shows.
#include <chrono>
#include <ctime>
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

TEST(EndToEnd, OnATerminalEachBoxIsFramedAndWaitsForEnter)
{
    RequireTodayAfter1999();
    int terminal = -1;
    winsize size{};
    size.ws_col = 40;
    size.ws_row = 24;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, &size);
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ExecProgram();
    }
    // Reads what the terminal shows until `wanted` appears, or 10 s pass.
    std::string screen;
    auto await = [&](const std::string& wanted) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (screen.find(wanted) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{terminal, POLLIN, 0};
            char buffer[1024];
            ssize_t got = 0;
            if (::poll(&ready, 1, 100) > 0 && (got = ::read(terminal, buffer, sizeof buffer)) > 0) {
                screen.append(buffer, static_cast<std::size_t>(got));
            }
        }
        return screen.find(wanted) != std::string::npos;
    };
    const char* boxes[] = {"│ Nevyplněno Nevyplněno narozen dne: │", "│ Tarn Zíbal narozen dne: 1.1.1970 │",
                           "│ Ostin Murav narozen dne: 20.11.1972 │", "│ (i) Tarn Zíbal je starší než Ostin │"};
    for (const char* box : boxes) {
        EXPECT_TRUE(await(box)) << "waiting for " << box << " in:\n" << screen;
        EXPECT_EQ(::write(terminal, "\n", 1), 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ::close(terminal);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(screen.find("┌─ Osoby ─"), std::string::npos) << screen;
}
