#include "platform/posix/terminal_box.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <new>

#include <fcntl.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/fd_io.h"
#include "platform/posix/terminal_text.h"
#include "platform/visible_text.h"

namespace platform::terminal {
namespace {

constexpr int kDefaultColumns = 80;
constexpr std::string_view kButton = "[ OK ]";
constexpr std::string_view kHowToAnswer = " stiskněte Enter ";

struct Lines {
    std::string_view top_left, top_right, bottom_left, bottom_right, across, side;
};
constexpr Lines kUnicodeLines{"┌", "┐", "└", "┘", "─", "│"};
constexpr Lines kAsciiLines{"+", "+", "+", "+", "-", "|"};

std::string_view Mark(BoxStyle style)
{
    switch (style) {
    case BoxStyle::Warning:
        return "(!) ";
    case BoxStyle::Information:
        return "(i) ";
    case BoxStyle::Plain:
        break;
    }
    return "";
}

std::string Repeat(std::string_view piece, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

// One row between the side lines: `text` padded to the inner width.
std::string Row(std::string_view text, int inner, const Lines& lines)
{
    return std::string(lines.side) + " " + std::string(text) +
           std::string(static_cast<std::size_t>(inner - DisplayWidth(text)), ' ') + " " + std::string(lines.side) +
           "\n";
}

int TerminalColumns(int fd)
{
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return kDefaultColumns;
}

// The terminal a box is shown on, in the parent's modes and in the box's;
// written before the signal handlers below are installed, and read by them.
struct Modes {
    int fd = -1;
    termios parent{};
    termios box{};
};
Modes g_modes;

// The signals that end or stop the program while a box waits, from the
// terminal's keys or from elsewhere, and the one that continues it.
constexpr int kModeSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGTSTP, SIGCONT};

// The box's modes again, once the program is in the foreground: in the
// background, setting them would change the shell's (SIGTTOU is blocked in
// a handler), and the shell gives the terminal back on `fg`, with SIGCONT.
void BoxModesIfForeground()
{
    if (::tcgetpgrp(g_modes.fd) == ::getpgrp()) {
        ::tcsetattr(g_modes.fd, TCSANOW, &g_modes.box);
    }
}

// Gives the terminal back in the parent's modes, then lets `signal` do what
// it does by default; where that was a stop, the box's modes come back on
// SIGCONT (or at once, where the system refuses to stop an orphaned group).
// A handler has nobody to tell of a call that fails.
extern "C" void RestoreThenAct(int signal)
{
    const int error = errno;
    if (signal == SIGCONT) {
        BoxModesIfForeground();
        errno = error;
        return;
    }
    ::tcsetattr(g_modes.fd, TCSANOW, &g_modes.parent);
    struct sigaction ours {};
    struct sigaction by_default {};
    by_default.sa_handler = SIG_DFL;
    ::sigaction(signal, &by_default, &ours);
    sigset_t just;
    sigemptyset(&just);
    sigaddset(&just, signal);
    ::raise(signal);
    ::pthread_sigmask(SIG_UNBLOCK, &just, nullptr);  // ends or stops the program here
    ::sigaction(signal, &ours, nullptr);
    BoxModesIfForeground();
    errno = error;
}

// While it lives, the terminal at `fd` is in the modes a box needs, whatever
// a parent left it in (`stty raw -echo` of a crashed full-screen program):
// output post-processed, so lines start at the left; and where it is the
// input, a line at a time, Enter's CR read as a line's end, Ctrl-C, Ctrl-\,
// Ctrl-Z their signals and Ctrl-D the input's end, with what was typed
// before the box discarded. The parent's modes come back at its end, or
// before a signal ends or stops the program.
class BoxModes {
public:
    BoxModes(int fd, bool input) noexcept
    {
        if (fd < 0 || ::tcgetattr(fd, &g_modes.parent) != 0) {
            return;  // no terminal, or none to change: the box shows as it can
        }
        g_modes.fd = fd;
        g_modes.box = g_modes.parent;
        g_modes.box.c_oflag |= OPOST | ONLCR;
        if (input) {
            g_modes.box.c_lflag |= ICANON | ISIG;
            g_modes.box.c_iflag |= ICRNL;
            g_modes.box.c_iflag &= ~static_cast<tcflag_t>(INLCR | IGNCR);
        }
        for (std::size_t i = 0; i < std::size(kModeSignals); ++i) {
            struct sigaction action {};
            action.sa_handler = RestoreThenAct;
            sigfillset(&action.sa_mask);
            // One that whoever started the program ignored stays ignored.
            installed_[i] = ::sigaction(kModeSignals[i], nullptr, &previous_[i]) == 0 &&
                            previous_[i].sa_handler == SIG_DFL && (previous_[i].sa_flags & SA_SIGINFO) == 0 &&
                            ::sigaction(kModeSignals[i], &action, nullptr) == 0;
        }
        // A terminal that takes no modes (a hung-up one) fails the box's
        // writes or its read, if anything: they tell.
        static_cast<void>(::tcsetattr(fd, TCSANOW, &g_modes.box));
        if (input) {
            static_cast<void>(::tcflush(fd, TCIFLUSH));
        }
    }
    ~BoxModes()
    {
        if (g_modes.fd < 0) {
            return;
        }
        // Modes first: a signal between the two still finds them restored.
        // Should this fail, the terminal is gone, and its modes with it.
        static_cast<void>(::tcsetattr(g_modes.fd, TCSANOW, &g_modes.parent));
        for (std::size_t i = 0; i < std::size(kModeSignals); ++i) {
            if (installed_[i]) {
                static_cast<void>(::sigaction(kModeSignals[i], &previous_[i], nullptr));  // as read: it takes it
            }
        }
        g_modes.fd = -1;
    }
    BoxModes(const BoxModes&) = delete;
    BoxModes& operator=(const BoxModes&) = delete;

private:
    struct sigaction previous_[std::size(kModeSignals)]{};
    bool installed_[std::size(kModeSignals)] = {};
};

}  // namespace

std::string RenderFramedBox(std::string_view prompt, BoxStyle style, std::string_view title, int columns,
                            const TerminalCharset& charset)
{
    const Lines& lines = charset.IsUtf8() ? kUnicodeLines : kAsciiLines;
    const std::string_view mark = Mark(style);
    const int mark_width = DisplayWidth(mark);
    // The frame and its padding take four columns: "│ " and " │".
    const int widest_inner = std::max(columns, kNarrowestBox) - 4;

    const std::vector<std::string> wrapped =
        Wrap(VisibleText(charset.Showable(prompt), true), widest_inner - mark_width);
    const std::string safe_title = Fit(VisibleText(charset.Showable(title), false), widest_inner - 2);
    const int title_width = DisplayWidth(safe_title);
    const std::string hint = charset.Showable(kHowToAnswer);
    const std::string button = charset.Showable(kButton);

    const int hint_width = DisplayWidth(hint);
    const int button_width = DisplayWidth(button);
    int inner = std::max({button_width, title_width + 2, hint_width - 2});
    for (const std::string& line : wrapped) {
        inner = std::max(inner, mark_width + DisplayWidth(line));
    }

    std::string box = std::string(lines.top_left) +
                      (safe_title.empty() ? Repeat(lines.across, inner + 2)
                                          : std::string(lines.across) + " " + safe_title + " " +
                                                Repeat(lines.across, inner - 1 - title_width)) +
                      std::string(lines.top_right) + "\n";
    const std::string indent(static_cast<std::size_t>(mark_width), ' ');
    for (std::size_t i = 0; i < wrapped.size(); ++i) {
        box += Row((i == 0 ? std::string(mark) : indent) + wrapped[i], inner, lines);
    }
    box += Row("", inner, lines);
    box += Row(std::string(static_cast<std::size_t>((inner - button_width) / 2), ' ') + button, inner, lines);
    // How to answer, in the bottom line: the button is no button to click.
    const int before_hint = (inner + 2 - hint_width) / 2;
    box += std::string(lines.bottom_left) + Repeat(lines.across, before_hint) + hint +
           Repeat(lines.across, inner + 2 - hint_width - before_hint) + std::string(lines.bottom_right) + "\n";
    return box;
}

std::string RenderPlainLine(std::string_view prompt, BoxStyle style, std::string_view title,
                            const TerminalCharset& charset)
{
    return std::string(Mark(style)) + VisibleText(charset.Showable(title), false) + ": " +
           VisibleText(charset.Showable(prompt), false) + "\n";
}

TerminalMsgBox::TerminalMsgBox(int output_fd, int input_fd, std::string_view locale)
    : output_fd_(output_fd),
      input_fd_(input_fd),
      screen_fd_(::isatty(output_fd) == 1 ? output_fd : -1),
      own_screen_(false),
      plain_output_(screen_fd_ < 0),
      input_terminal_(::isatty(input_fd) == 1),
      charset_(locale)
{
    // The input's terminal, never opened by its name: after su, that name is
    // another user's to open, though the terminal is ours to use.
    if (screen_fd_ < 0 && ::isatty(input_fd) == 1) {
        if ((::fcntl(input_fd, F_GETFL) & O_ACCMODE) == O_RDWR) {
            screen_fd_ = input_fd;
        } else if (::tcgetsid(input_fd) >= 0) {  // the controlling terminal
            screen_fd_ = posix::AboveStandardStreams(::open("/dev/tty", O_WRONLY | O_CLOEXEC));
            own_screen_ = screen_fd_ >= 0;
        }
    }
}

TerminalMsgBox::~TerminalMsgBox()
{
    if (own_screen_) {
        ::close(screen_fd_);
    }
}

Status TerminalMsgBox::Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept
{
    const BoxModes modes(input_terminal_ ? input_fd_ : screen_fd_, input_terminal_);
    std::string on_screen;
    std::string plain;
    try {
        if (screen_fd_ >= 0) {
            const int columns = TerminalColumns(screen_fd_);
            on_screen =
                charset_.Encode(columns < kNarrowestBox ? RenderPlainLine(prompt, style, title, charset_)
                                                        : RenderFramedBox(prompt, style, title, columns, charset_));
        }
        if (plain_output_) {
            plain = charset_.Encode(RenderPlainLine(prompt, style, title, charset_));
        }
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    if (plain_output_) {
        if (const Status status = posix::WriteAll(output_fd_, plain); status.Failed()) {
            return status;
        }
    }
    if (screen_fd_ >= 0) {
        if (const Status status = posix::WriteAll(screen_fd_, on_screen); status.Failed()) {
            return status;
        }
    }
    if (!input_ended_) {
        input_ended_ = !posix::WaitForLine(input_fd_);
    }
    return kOk;
}

}  // namespace platform::terminal
