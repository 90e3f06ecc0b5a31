#include "platform/posix/terminal_box.h"

#include <algorithm>
#include <new>

#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/posix/fd_io.h"
#include "platform/posix/terminal_text.h"
#include "platform/visible_text.h"

namespace platform::terminal {
namespace {

// Below this a box cannot show its title and button at all.
constexpr int kNarrowestBox = 24;
constexpr int kDefaultColumns = 80;
constexpr std::string_view kButton = "[ OK ]";

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
std::string Row(std::string_view text, int inner)
{
    return "│ " + std::string(text) + std::string(static_cast<std::size_t>(inner - DisplayWidth(text)), ' ') + " │\n";
}

int TerminalColumns(int fd)
{
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return kDefaultColumns;
}

}  // namespace

std::string RenderFramedBox(std::string_view prompt, BoxStyle style, std::string_view title, int columns)
{
    const std::string_view mark = Mark(style);
    const int mark_width = DisplayWidth(mark);
    // The frame and its padding take four columns: "│ " and " │".
    const int widest_inner = std::max(columns, kNarrowestBox) - 4;

    const std::vector<std::string> lines = Wrap(VisibleText(prompt, true), widest_inner - mark_width);
    const std::string safe_title = Fit(VisibleText(title, false), widest_inner - 2);
    const int title_width = DisplayWidth(safe_title);

    int inner = std::max(static_cast<int>(kButton.size()), title_width + 2);
    for (const std::string& line : lines) {
        inner = std::max(inner, mark_width + DisplayWidth(line));
    }

    std::string box = safe_title.empty() ? "┌" + Repeat("─", inner + 2) + "┐\n"
                                         : "┌─ " + safe_title + " " + Repeat("─", inner - 1 - title_width) + "┐\n";
    const std::string indent(static_cast<std::size_t>(mark_width), ' ');
    for (std::size_t i = 0; i < lines.size(); ++i) {
        box += Row((i == 0 ? std::string(mark) : indent) + lines[i], inner);
    }
    box += Row("", inner);
    const auto before_button = static_cast<std::size_t>((inner - static_cast<int>(kButton.size())) / 2);
    box += Row(std::string(before_button, ' ') + std::string(kButton), inner);
    box += "└" + Repeat("─", inner + 2) + "┘\n";
    return box;
}

std::string RenderPlainLine(std::string_view prompt, BoxStyle style, std::string_view title)
{
    return std::string(Mark(style)) + VisibleText(title, false) + ": " + VisibleText(prompt, false) + "\n";
}

TerminalMsgBox::TerminalMsgBox(int output_fd, int input_fd) noexcept
    : output_fd_(output_fd), input_fd_(input_fd), framed_(::isatty(output_fd) == 1)
{
}

Status TerminalMsgBox::Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept
{
    std::string box;
    try {
        box = framed_ ? RenderFramedBox(prompt, style, title, TerminalColumns(output_fd_))
                      : RenderPlainLine(prompt, style, title);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    if (const Status status = posix::WriteAll(output_fd_, box); status.Failed()) {
        return status;
    }
    posix::WaitForLine(input_fd_);
    return kOk;
}

}  // namespace platform::terminal
