#include "platform/failure.h"

#include <cstdio>

namespace platform {

void ReportFailure(Status status, const char* object, const char* operation)
{
    throw RunFailure{status, object, operation};
}

StatusCodeText::StatusCodeText(Status status) noexcept
{
    if (status.From() == Status::Source::Posix) {
        std::snprintf(text_, sizeof text_, "errno %d", status.Number());
    } else {
        std::snprintf(text_, sizeof text_, "0x%08X", static_cast<unsigned>(status.Code()));
    }
}

std::string_view DescribeStatus(Status status) noexcept
{
    switch (status.From()) {
    case Status::Source::Program:
        break;
    case Status::Source::Posix:
    case Status::Source::Windows:
        return SystemErrorText(status.Number());
    case Status::Source::None:
    case Status::Source::Unknown:
        return "neznámá chyba";
    }
    switch (static_cast<Failure>(status.Number())) {
    case Failure::OutOfMemory:
        return "nedostatek paměti";
    case Failure::NotADate:
        return "text není datum";
    case Failure::InvalidDate:
        return "datum mimo roky 100 až 9999";
    case Failure::NotPrepared:
        return "běhové prostředí není připraveno";
    case Failure::DialogFailed:
        return "dialogové okno nešlo zobrazit";
    case Failure::InternalError:
        return "vnitřní chyba programu";
    }
    return "neznámá chyba";
}

}  // namespace platform
