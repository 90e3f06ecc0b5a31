// The failure report in a browser: the failure line on the console, as on
// standard error elsewhere, and in an error box titled as the program.
#include <cstring>

#include "platform/failure.h"
#include "platform/text.h"
#include "platform/web/dialog_box.h"
#include "platform/web/page_calls.h"

namespace platform {

std::string_view SystemErrorText(int error) noexcept
{
    return std::strerror(error);
}

void ShowFailure(const RunFailure& failure) noexcept
{
    const StatusCodeText code(failure.status);
    Text line;
    Text box;
    const bool built = !Join(line, {"operace ", failure.operation, failure.object ? " osoby " : "",
                                    failure.object ? failure.object : "", " selhala: ", DescribeStatus(failure.status),
                                    " (", code.View(), ")"})
                            .Failed() &&
                       !Join(box, {"O", std::string_view(line).substr(1)}).Failed();
    // Without memory for the words, the box still says that the run failed.
    osoby_log_failure(built ? line.c_str() : "program selhal");
    // A box that cannot be shown leaves the console line and the page's end
    // message as the report.
    static_cast<void>(web::ShowPageBox(built ? box.c_str() : "Program selhal.", "Osoby", "error"));
}

}  // namespace platform
