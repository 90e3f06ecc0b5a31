#pragma once

#include <cstdint>

namespace platform {

// The result code of every person operation and runtime service. Only the sign
// matters to callers: below zero is a failure. The layout is that of a Windows
// HRESULT, so the Windows platform hands its system errors through unchanged.
class [[nodiscard]] Status {
public:
    constexpr Status() noexcept = default;
    constexpr explicit Status(std::uint32_t code) noexcept : code_(static_cast<std::int32_t>(code)) {}

    // A failure the operating system reported with its own error number
    // (errno on POSIX, GetLastError on Windows).
    static constexpr Status FromSystemError(int error) noexcept
    {
        return error > 0 ? Status(kSystemFacility | (static_cast<std::uint32_t>(error) & 0xFFFFu))
                         : Status(0x80004005u);  // unspecified failure
    }

    constexpr bool Failed() const noexcept { return code_ < 0; }
    constexpr std::int32_t Code() const noexcept { return code_; }

    constexpr bool IsSystemError() const noexcept
    {
        return (static_cast<std::uint32_t>(code_) & 0xFFFF0000u) == kSystemFacility;
    }
    constexpr int SystemError() const noexcept { return static_cast<int>(code_ & 0xFFFF); }

    friend constexpr bool operator==(Status, Status) noexcept = default;

private:
    static constexpr std::uint32_t kSystemFacility = 0x80070000u;

    std::int32_t code_ = 0;
};

inline constexpr Status kOk{};
// The program's own failures carry the customer bit, apart from system errors.
inline constexpr Status kOutOfMemory{0xA0000001u};
inline constexpr Status kNotADate{0xA0000002u};     // a text that is no date
inline constexpr Status kInvalidDate{0xA0000003u};  // a number outside the years 100 to 9999
inline constexpr Status kNotPrepared{0xA0000004u};  // a service called before the process start
inline constexpr Status kDialogFailed{0xA0000005u};  // a dialog helper that failed or crashed
inline constexpr Status kInternalError{0xA0000006u};  // an exception escaped: a fault of the program

}  // namespace platform
