// The Windows process start where no box can be shown, and its end on a fault
// of the program.
#include <exception>

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/windows/win32.h"

// As a service starts it: on a window station nobody sees, where the first
// box would wait for ever.
TEST(ProcessStart, OnAWindowStationNobodySeesEndsAtOnceWithTheFailureExitCode)
{
    const HWINSTA station = ::CreateWindowStationW(L"osoby-unseen", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(station, nullptr);
    char desktop[] = "osoby-unseen\\Default";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(
        ::CreateProcessA(OSOBY_EXECUTABLE, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    const bool ended = ::WaitForSingleObject(process.hProcess, 5000) == WAIT_OBJECT_0;
    ::TerminateProcess(process.hProcess, 0);
    DWORD exit_code = 0;
    EXPECT_TRUE(ended && ::GetExitCodeProcess(process.hProcess, &exit_code)) << "still running after 5 s";
    EXPECT_EQ(exit_code, static_cast<DWORD>(platform::kFailureExitCode));
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::CloseWindowStation(station);
}

// The error box of the failure report, and no box of msvcrt's abort after it.
TEST(ProcessStart, AnEscapedExceptionEndsWithTheFailureExitCode)
{
    EXPECT_EXIT(std::terminate(), testing::ExitedWithCode(platform::kFailureExitCode), "");
}
