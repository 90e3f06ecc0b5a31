#pragma once

#include <string>
#include <string_view>

#include "platform/posix/terminal_charset.h"
#include "platform/runtime.h"

namespace platform::terminal {

// Below this a box cannot show its title and button at all.
inline constexpr int kNarrowestBox = 24;

// A message box drawn in a frame, lined up by display columns and wrapped to
// `columns` (at least the narrowest box), saying how to answer it. Every word
// of it is what `charset` can show (see TerminalCharset::Showable), and the
// frame is of box-drawing characters where it has them (UTF-8), else ASCII.
// Throws std::bad_alloc.
std::string RenderFramedBox(std::string_view prompt, BoxStyle style, std::string_view title, int columns,
                            const TerminalCharset& charset = TerminalCharset(""));

// A message box as one plain line: style mark, title, the whole prompt, as
// `charset` can show them. Throws std::bad_alloc.
std::string RenderPlainLine(std::string_view prompt, BoxStyle style, std::string_view title,
                            const TerminalCharset& charset = TerminalCharset(""));

// The message box of a terminal session. On a terminal it draws the framed
// box, or the plain line where the terminal is narrower than any box; into a
// pipe or a file it writes the plain line, which keeps logs readable, and
// where the input is a terminal all the same, the person there sees the
// framed box on it. Either way it waits for one line of input as the OK
// button; once the input has ended (Ctrl-D), no box waits any more. On a
// terminal it waits in the modes it needs, and restores the parent's
// afterwards; what was typed there before it was shown is discarded, so that
// no key meant for another box answers it. Every text goes out in the
// charset of `locale` (see TerminalCharset).
class TerminalMsgBox final : public MsgBoxService {
public:
    // Throws std::bad_alloc.
    TerminalMsgBox(int output_fd, int input_fd, std::string_view locale = {});
    ~TerminalMsgBox();
    TerminalMsgBox(const TerminalMsgBox&) = delete;
    TerminalMsgBox& operator=(const TerminalMsgBox&) = delete;
    Status Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept override;

private:
    int output_fd_;
    int input_fd_;
    int screen_fd_;        // the terminal the framed box is drawn on, or -1
    bool own_screen_;      // opened here, as the input's terminal, and closed with the box
    bool plain_output_;    // the output is no terminal: plain lines go there
    bool input_terminal_;  // the input is a terminal, whose modes and type-ahead are the box's business
    bool input_ended_ = false;
    TerminalCharset charset_;
};

}  // namespace platform::terminal
