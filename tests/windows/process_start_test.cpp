// The Windows process start where no box can be seen: as a service starts it,
// on a window station nobody sees, where the first box would wait for ever.
#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/windows/win32.h"

TEST(ProcessStart, OnAWindowStationNobodySeesEndsAtOnceWithTheFailureExitCode)
{
    const HWINSTA station = ::CreateWindowStationW(L"osoby-unseen", 0, WINSTA_ALL_ACCESS, nullptr);
    char desktop[] = "osoby-unseen\\Default";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(station && ::CreateProcessA(OSOBY_EXECUTABLE, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                            &startup, &process));
    const bool ended = ::WaitForSingleObject(process.hProcess, 5000) == WAIT_OBJECT_0;
    ::TerminateProcess(process.hProcess, 0);
    DWORD exit_code = 0;
    EXPECT_TRUE(ended && ::GetExitCodeProcess(process.hProcess, &exit_code)) << "still running after 5 s";
    EXPECT_EQ(exit_code, static_cast<DWORD>(platform::kFailureExitCode));
    // The handles and the station go with this test's process.
}
