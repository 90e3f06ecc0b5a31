#pragma once

#include <string>
#include <string_view>

#include "platform/runtime.h"

namespace platform::terminal {

// A message box drawn in a frame, lined up by display columns and wrapped to
// `columns`. Throws std::bad_alloc.
std::string RenderFramedBox(std::string_view prompt, BoxStyle style, std::string_view title, int columns);

// A message box as one plain line: style mark, title, the whole prompt.
// Throws std::bad_alloc.
std::string RenderPlainLine(std::string_view prompt, BoxStyle style, std::string_view title);

// The message box of a terminal session. On a terminal it draws the framed
// box; into a pipe or a file it writes the plain line, which keeps logs
// readable. Either way it waits for one line of input as the OK button.
class TerminalMsgBox final : public MsgBoxService {
public:
    TerminalMsgBox(int output_fd, int input_fd) noexcept;
    Status Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept override;

private:
    int output_fd_;
    int input_fd_;
    bool framed_;
};

}  // namespace platform::terminal
