// The failure report on Windows: an error box saying what failed.
#include <new>
#include <string>

#include "platform/windows/win32.h"

#include "platform/failure.h"
#include "platform/text.h"
#include "platform/windows/utf16.h"

namespace platform {

std::string_view SystemErrorText(int error) noexcept
{
    // Single-threaded, and read before the next call.
    static std::string text;
    wchar_t* message = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    try {
        text = length == 0 ? std::string("systémová chyba") : windows::ToUtf8(std::wstring_view(message, length));
        // FormatMessage ends its messages with a line break.
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
            text.pop_back();
        }
    } catch (const std::bad_alloc&) {
        text.clear();
    }
    ::LocalFree(message);
    return text;
}

void ShowFailure(const RunFailure& failure) noexcept
{
    const StatusCodeText code(failure.status);
    Text report;
    std::wstring wide;
    const bool built = !Join(report, {"Operace ", failure.operation, failure.object ? " osoby " : "",
                                      failure.object ? failure.object : "", " selhala:\n",
                                      DescribeStatus(failure.status), " (", code.View(), ")"})
                            .Failed() &&
                       !windows::ToUtf16(report, wide).Failed();
    // Without memory for the words, the box still says that the run failed.
    ::MessageBoxW(nullptr, built ? wide.c_str() : L"Program selhal.", L"Osoby", MB_OK | MB_ICONERROR);
}

}  // namespace platform
