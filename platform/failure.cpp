#include "platform/failure.h"

#include <cstdio>

namespace platform {

void ReportFailure(Status status, const char* object, const char* operation)
{
    throw RunFailure{status, object, operation};
}

StatusCodeText::StatusCodeText(Status status) noexcept
{
    std::snprintf(text_, sizeof text_, "0x%08X", static_cast<unsigned>(status.Code()));
}

std::string_view DescribeStatus(Status status) noexcept
{
    if (status.IsSystemError()) {
        return SystemErrorText(status.SystemError());
    }
    if (status == kOutOfMemory) {
        return "nedostatek paměti";
    }
    if (status == kNotADate) {
        return "text není datum";
    }
    if (status == kInvalidDate) {
        return "datum mimo roky 100 až 9999";
    }
    if (status == kNotPrepared) {
        return "běhové prostředí není připraveno";
    }
    if (status == kDialogFailed) {
        return "dialogové okno nešlo zobrazit";
    }
    if (status == kInternalError) {
        return "vnitřní chyba programu";
    }
    return "neznámá chyba";
}

}  // namespace platform
