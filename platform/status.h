#pragma once

#include <cstdint>

namespace platform {

// The program's own failures, apart from those the operating system reports.
enum class Failure : std::uint16_t {
    OutOfMemory = 1,
    NotADate,       // a text that is no date
    InvalidDate,    // a number outside the years 100 to 9999
    NotPrepared,    // a service called before the process start
    DialogFailed,   // a dialog helper that failed or crashed
    InternalError,  // an exception escaped: a fault of the program
};

// The result code of every person operation and runtime service. Only the sign
// matters to callers: below zero is a failure. The layout is that of a Windows
// HRESULT: the Windows platform hands its system errors through unchanged,
// and the program's own failures and POSIX errors carry the customer bit,
// each in a facility of its own, so no code reads as another's.
class [[nodiscard]] Status {
public:
    // Where a failure comes from.
    enum class Source { None, Program, Posix, Windows, Unknown };

    constexpr Status() noexcept = default;
    constexpr explicit Status(std::uint32_t code) noexcept : code_(static_cast<std::int32_t>(code)) {}
    constexpr Status(Failure failure) noexcept : Status(kProgram | static_cast<std::uint32_t>(failure)) {}

    // A failure the system reported with its own error number: errno, or
    // GetLastError on Windows. No number at all is an unspecified failure.
    static constexpr Status FromPosixError(int error) noexcept { return FromNumber(kPosix, error); }
    static constexpr Status FromWindowsError(std::uint32_t error) noexcept
    {
        return FromNumber(kWindows, static_cast<int>(error & 0xFFFFu));
    }

    constexpr bool Failed() const noexcept { return code_ < 0; }
    constexpr std::int32_t Code() const noexcept { return code_; }

    constexpr Source From() const noexcept
    {
        if (!Failed()) {
            return Source::None;
        }
        switch (static_cast<std::uint32_t>(code_) & 0xFFFF0000u) {
        case kProgram:
            return Source::Program;
        case kPosix:
            return Source::Posix;
        case kWindows:
            return Source::Windows;
        default:
            return Source::Unknown;
        }
    }
    // The program's failure, the errno or the Windows error number.
    constexpr int Number() const noexcept { return static_cast<int>(code_ & 0xFFFF); }

    friend constexpr bool operator==(Status, Status) noexcept = default;

private:
    static constexpr std::uint32_t kProgram = 0xA0000000u;
    static constexpr std::uint32_t kPosix = 0xA0010000u;
    static constexpr std::uint32_t kWindows = 0x80070000u;
    static constexpr std::uint32_t kUnspecified = 0x80004005u;

    static constexpr Status FromNumber(std::uint32_t facility, int error) noexcept
    {
        return Status(error > 0 ? facility | (static_cast<std::uint32_t>(error) & 0xFFFFu) : kUnspecified);
    }

    std::int32_t code_ = 0;
};

inline constexpr Status kOk{};
inline constexpr Status kOutOfMemory{Failure::OutOfMemory};
inline constexpr Status kNotADate{Failure::NotADate};
inline constexpr Status kInvalidDate{Failure::InvalidDate};
inline constexpr Status kNotPrepared{Failure::NotPrepared};
inline constexpr Status kDialogFailed{Failure::DialogFailed};
inline constexpr Status kInternalError{Failure::InternalError};

}  // namespace platform
