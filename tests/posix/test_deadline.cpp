// Every test in this program ends within a few seconds: one that waits for
// something that never comes is killed by SIGALRM, failing at once instead
// of at CTest's limit. Runs of the program that tests start have deadlines
// of their own.
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr unsigned kSecondsPerTest = 12;

class Deadline : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { ::alarm(kSecondsPerTest); }
    void OnTestEnd(const testing::TestInfo&) override { ::alarm(0); }
};

const bool kInstalled = (testing::UnitTest::GetInstance()->listeners().Append(new Deadline), true);

}  // namespace
