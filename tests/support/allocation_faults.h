#pragma once

namespace testing_support {

// Counts the allocations made while it lives, and can make one of them fail
// as an exhausted heap would, by throwing std::bad_alloc. It works through
// the test program's own global operator new.
class AllocationFaults {
public:
    // With `fail_at` above 0, the fail_at-th allocation from now fails.
    explicit AllocationFaults(long fail_at = 0) noexcept;
    ~AllocationFaults();
    AllocationFaults(const AllocationFaults&) = delete;
    AllocationFaults& operator=(const AllocationFaults&) = delete;

    long Seen() const noexcept;
    bool Injected() const noexcept;
    // Allocations made minus blocks freed while it lived: 0 when everything
    // allocated was freed again.
    long Outstanding() const noexcept;
};

}  // namespace testing_support
