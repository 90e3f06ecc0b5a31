#include "tests/support/allocation_faults.h"

#include <cstdlib>
#include <new>

namespace {

bool g_counting = false;
long g_seen = 0;
long g_freed = 0;
long g_fail_at = 0;
bool g_injected = false;

}  // namespace

void* operator new(std::size_t size)
{
    if (g_counting && ++g_seen == g_fail_at) {
        g_injected = true;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    if (g_counting && memory != nullptr) {
        ++g_freed;
    }
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    ::operator delete(memory);
}

namespace testing_support {

AllocationFaults::AllocationFaults(long fail_at) noexcept
{
    g_counting = true;
    g_seen = 0;
    g_freed = 0;
    g_fail_at = fail_at;
    g_injected = false;
}

AllocationFaults::~AllocationFaults()
{
    g_counting = false;
}

long AllocationFaults::Seen() const noexcept
{
    return g_seen;
}

bool AllocationFaults::Injected() const noexcept
{
    return g_injected;
}

long AllocationFaults::Outstanding() const noexcept
{
    // The failed allocation was counted as seen but never made.
    return g_seen - (g_injected ? 1 : 0) - g_freed;
}

}  // namespace testing_support
