#include <chrono>
#include <csignal>
#include <future>
#include <string>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/read_all.h"

#include "platform/posix/terminal_box.h"
#include "platform/posix/terminal_text.h"

using platform::BoxStyle;
using platform::kOk;
using platform::terminal::DisplayWidth;
using platform::terminal::RenderFramedBox;
using platform::terminal::RenderPlainLine;
using platform::terminal::TerminalMsgBox;

namespace {

using testing_support::ReadAll;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the box ends with a line break";
    return lines;
}

// Every row of a framed box is as wide as its frame, and no wider than allowed.
void ExpectAligned(const std::string& box, int columns)
{
    const std::vector<std::string> lines = Lines(box);
    ASSERT_GE(lines.size(), 5u) << box;
    const int width = DisplayWidth(lines.front());
    EXPECT_LE(width, columns) << box;
    for (const std::string& line : lines) {
        EXPECT_EQ(DisplayWidth(line), width) << box;
    }
    EXPECT_EQ(lines.front().rfind("┌", 0), 0u) << box;
    EXPECT_EQ(lines.back().rfind("└", 0), 0u) << box;
    for (const char c : box) {  // no control character of the text reaches the terminal raw
        EXPECT_TRUE(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != '\x7f')) << static_cast<int>(c);
    }
}

}  // namespace

TEST(FramedBox, LinesUpByColumnsWithCzechLettersMarksTheStyleAndWrapsToTheTerminal)
{
    std::string box = RenderFramedBox("Tarn Zíbal narozen dne: 1.1.1970", BoxStyle::Plain, "Informace o Osobě", 80);
    EXPECT_EQ(box,
              "┌─ Informace o Osobě ──────────────┐\n"
              "│ Tarn Zíbal narozen dne: 1.1.1970 │\n"
              "│                                  │\n"
              "│              [ OK ]              │\n"
              "└──────── stiskněte Enter ─────────┘\n");
    box = RenderFramedBox("Vkládané Datum narození je menší než současné datum", BoxStyle::Warning, "Chyba vstupu", 40);
    ExpectAligned(box, 40);
    EXPECT_EQ(Lines(box)[1], "│ (!) Vkládané Datum narození je menší │");
    EXPECT_EQ(Lines(box)[2], "│     než současné datum               │");
    EXPECT_NE(RenderFramedBox("x", BoxStyle::Information, "Osoby", 80).find("│ (i) x"), std::string::npos);
}

TEST(FramedBox, StaysAlignedForAnyTextAndWidthAndSendsNoControlCharacter)
{
    const std::string texts[] = {"",
                                 "Tarn Zíbal je stejně starý jako Ostin Murav",
                                 "日本語のテキスト と emoji \xF0\x9F\x98\x80 mixed with žluťoučký kůň",
                                 "\U00017000\U0001B170 \u1100\u1160 \u0915\u0901 \U0001F5A5",
                                 "line one\nline two\n\nafter an empty line",
                                 std::string(300, 'w'),
                                 "\x1b]0;title\x07 \xFF\xFE e\xCC\x8C",
                                 "\x1b[2J\x1b[31mred\x9b\r\x7f"};
    for (const std::string& text : texts) {
        for (const int columns : {1, 24, 33, 60, 200}) {
            SCOPED_TRACE(testing::Message() << columns << " columns: " << text);
            ExpectAligned(RenderFramedBox(text, BoxStyle::Warning, text, columns), std::max(columns, 24));
        }
    }
}

TEST(PlainLine, IsOneLineWithMarkTitleAndWholePrompt)
{
    EXPECT_EQ(RenderPlainLine("Vkládané Datum narození je menší než současné datum", BoxStyle::Warning, "Chyba vstupu"),
              "(!) Chyba vstupu: Vkládané Datum narození je menší než současné datum\n");
    EXPECT_EQ(RenderPlainLine("Tarn Zíbal je starší než Ostin Murav", BoxStyle::Information, "Osoby"),
              "(i) Osoby: Tarn Zíbal je starší než Ostin Murav\n");
    EXPECT_EQ(RenderPlainLine("a\nb\x1b", BoxStyle::Plain, "T\r"), "T^M: a^Jb^[\n");
}

class TerminalBoxOutput : public testing::Test {
protected:
    void SetUp() override
    {
        // As in the program: a closed pipe is a failed write, not a signal.
        previous_ = std::signal(SIGPIPE, SIG_IGN);
        ASSERT_EQ(::pipe(input_), 0);
    }
    void TearDown() override
    {
        std::signal(SIGPIPE, previous_);
        ::close(input_[0]);
        if (input_[1] >= 0) {
            ::close(input_[1]);
        }
    }

    int input_[2] = {-1, -1};
    void (*previous_)(int) = SIG_DFL;
};

TEST_F(TerminalBoxOutput, WaitsForOneLineThenTheNextBoxGetsTheNext)
{
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    ASSERT_EQ(::write(input_[1], "\nsecond\n", 8), 8);
    TerminalMsgBox box(output[1], input_[0]);
    ASSERT_EQ(box.Show("one", BoxStyle::Plain, "T"), kOk);
    EXPECT_EQ(testing_support::Unread(input_[0]), 7) << "the first box took its line and no more";
    ASSERT_EQ(box.Show("two", BoxStyle::Plain, "T"), kOk);
    EXPECT_EQ(testing_support::Unread(input_[0]), 0);
    ::close(input_[1]);
    input_[1] = -1;
    ASSERT_EQ(box.Show("three", BoxStyle::Plain, "T"), kOk) << "end of input dismisses at once";
    ::close(output[1]);
    EXPECT_EQ(ReadAll(output[0]), "T: one\nT: two\nT: three\n");
    ::close(output[0]);
}

TEST_F(TerminalBoxOutput, IsFramedOnlyWhereItsOutputIsATerminalAndTakesNoKeyTypedThereBeforeIt)
{
    int terminal = -1;
    int terminal_side = -1;
    ASSERT_EQ(::openpty(&terminal, &terminal_side, nullptr, nullptr, nullptr), 0);
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    ASSERT_EQ(::write(input_[1], "\n", 1), 1);
    ASSERT_EQ(TerminalMsgBox(terminal_side, input_[0]).Show("x", BoxStyle::Plain, "T"), kOk);
    const auto drawn = [terminal] {
        std::string screen;
        while (!screen.ends_with("┘\r\n")) {
            screen += ReadAll(terminal, 1);
        }
        return screen;
    };
    EXPECT_TRUE(drawn().starts_with("┌")) << "output to a terminal, input from a pipe: framed";

    // An Enter typed before the box is no answer to it: only one typed once it is drawn.
    ASSERT_EQ(::write(terminal, "\n", 1), 1);
    ASSERT_EQ(ReadAll(terminal, 2), "\r\n") << "its echo: the terminal has it";
    auto shown = std::async(std::launch::async, [&] {
        return TerminalMsgBox(pipe_ends[1], terminal_side).Show("x", BoxStyle::Plain, "T");
    });
    EXPECT_TRUE(drawn().starts_with("┌")) << "the box on the input's terminal";
    EXPECT_EQ(shown.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout) << "answered by type-ahead";
    ASSERT_EQ(::write(terminal, "\n", 1), 1);
    ASSERT_EQ(shown.get(), kOk);
    ::close(pipe_ends[1]);
    EXPECT_EQ(ReadAll(pipe_ends[0]), "T: x\n") << "output to a pipe, input from a terminal: a plain line";
    for (const int fd : {terminal, terminal_side, pipe_ends[0]}) {
        ::close(fd);
    }
}

TEST_F(TerminalBoxOutput, AFullDiskAClosedPipeOrClosedOutputIsAFailedBox)
{
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    ::close(output[0]);  // the pipe's reader gone, and a closed descriptor
    for (const auto& [fd, error] :
         {std::pair{full, ENOSPC}, std::pair{output[1], EPIPE}, std::pair{output[0], EBADF}}) {
        TerminalMsgBox box(fd, input_[0]);
        EXPECT_EQ(box.Show("x", BoxStyle::Plain, "T"), platform::Status::FromPosixError(error));
    }
    ::close(full);
    ::close(output[1]);
}
