// Descriptor input and output through what the system does to them: writes
// that take part of the data, calls interrupted by a signal, and descriptors
// another program has left non-blocking.
#include <chrono>
#include <csignal>
#include <future>
#include <string>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/posix/fd_io.h"
#include "tests/support/read_all.h"

using namespace std::chrono_literals;

namespace {

// A signal whose handler interrupts the call it arrives in (no SA_RESTART).
class InterruptingSignal {
public:
    InterruptingSignal()
    {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGUSR1, &action, &previous_);
    }
    ~InterruptingSignal() { ::sigaction(SIGUSR1, &previous_, nullptr); }

private:
    struct sigaction previous_ {};
};

// Each test with the end it tests blocking, and left non-blocking (O_NONBLOCK).
class DescriptorIo : public testing::TestWithParam<int> {
protected:
    void SetUp() override { ASSERT_EQ(::pipe(pipe_), 0); }
    void TearDown() override
    {
        ::close(pipe_[0]);
        if (pipe_[1] >= 0) {
            ::close(pipe_[1]);
        }
    }

    int pipe_[2] = {-1, -1};
    InterruptingSignal signal_;
};

// Writes to a pipe until it holds all it can; gives how much that was.
std::size_t Fill(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    const std::string block(4096, 'f');
    std::size_t filled = 0;
    for (ssize_t put; (put = ::write(fd, block.data(), block.size())) > 0;) {
        filled += static_cast<std::size_t>(put);
    }
    ::fcntl(fd, F_SETFL, flags);
    return filled;
}

}  // namespace

TEST_P(DescriptorIo, WriteAllWritesEverythingThroughShortWritesAndSignals)
{
    // The pipe is full, so the first write blocks before it has written
    // anything: a signal interrupts it. Once the reader has made room, the
    // next write has written part of the data when a second signal cuts it
    // short.
    ASSERT_EQ(::fcntl(pipe_[1], F_SETFL, GetParam()), 0);
    const std::size_t filled = Fill(pipe_[1]);
    const std::string data(256 * 1024, 'x');
    const pthread_t writer = ::pthread_self();
    std::string read;
    std::thread reader([&] {
        std::this_thread::sleep_for(50ms);
        ::pthread_kill(writer, SIGUSR1);
        std::this_thread::sleep_for(50ms);
        read = testing_support::ReadAll(pipe_[0], filled);
        std::this_thread::sleep_for(50ms);
        ::pthread_kill(writer, SIGUSR1);
        read += testing_support::ReadAll(pipe_[0]);
    });
    EXPECT_EQ(platform::posix::WriteAll(pipe_[1], data), platform::kOk);
    ::close(std::exchange(pipe_[1], -1));
    reader.join();
    EXPECT_EQ(read.size(), filled + data.size());
}

TEST_P(DescriptorIo, WaitForLineWaitsThroughASignalAndReadsOnlyItsLine)
{
    ASSERT_EQ(::fcntl(pipe_[0], F_SETFL, GetParam()), 0);
    const pthread_t waiter = ::pthread_self();
    std::promise<void> waited;
    std::thread typist([&] {
        std::this_thread::sleep_for(50ms);
        ::pthread_kill(waiter, SIGUSR1);
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(::write(pipe_[1], "ok\nnext\n", 8), 8);
        if (waited.get_future().wait_for(3s) == std::future_status::timeout) {
            ::close(std::exchange(pipe_[1], -1));  // a wait that hangs ends as the input does
        }
    });
    EXPECT_TRUE(platform::posix::WaitForLine(pipe_[0])) << "a line came";
    waited.set_value();
    typist.join();
    EXPECT_EQ(testing_support::Unread(pipe_[0]), 5) << "the line and nothing more was read";
}

INSTANTIATE_TEST_SUITE_P(BlockingOrNot, DescriptorIo, testing::Values(0, O_NONBLOCK));
