// The Linux process start and its failure report on standard error.
#include <chrono>
#include <exception>
#include <string>

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/process_start.h"
#include "startup/mmain.h"
#include "tests/support/fake_runtime.h"

using namespace std::chrono;
using testing_support::FakeRuntime;

TEST(ProcessStart, GivesTheExitCodeAndReportsTheFailure)
{
    {
        FakeRuntime runtime(2026y / December / 7);
        EXPECT_EQ(platform::RunMain(MMain::Main), 0);
    }
    FakeRuntime runtime(2026y / December / 7);
    runtime.box.fail_at = 3;
    testing::internal::CaptureStderr();
    EXPECT_EQ(platform::RunMain(MMain::Main), platform::kFailureExitCode);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "osoby: operace MsgBox selhala: Input/output error (errno 5)\n");
}

TEST(ProcessStart, AnEscapedExceptionIsReportedAsAnInternalError)
{
    EXPECT_EXIT(std::terminate(), testing::ExitedWithCode(platform::kFailureExitCode),
                "^osoby: operace Main selhala: vnitřní chyba programu \\(0xA0000006\\)\n$");
}
