#include "tests/support/allocation_faults.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

bool g_counting = false;
long g_seen = 0;
long g_freed = 0;
long g_fail_at = 0;
bool g_injected = false;

// Every replaceable allocation function below, and so GoogleTest's too,
// allocates here, and every deallocation function frees through Free: with a
// set only partly replaced, a block could come from the runtime's own
// operator new (GoogleTest 1.16 takes the nothrow form) and go back through
// ours, a mismatch AddressSanitizer rightly reports.
constexpr std::align_val_t kPlain{0};  // as malloc aligns (8 bytes in 32-bit MinGW)

// Null where the allocation is failed on purpose or the heap is exhausted.
// An aligned block comes from a larger malloc block whose start is kept just
// before it, whatever malloc's own alignment (aligned_alloc is missing in
// MinGW).
void* Allocate(std::size_t size, std::align_val_t asked) noexcept
{
    if (g_counting && ++g_seen == g_fail_at) {
        g_injected = true;
        return nullptr;
    }
    if (asked == kPlain) {
        return std::malloc(size == 0 ? 1 : size);
    }
    // A power of two, with room for the start.
    const std::size_t alignment = std::max(static_cast<std::size_t>(asked), sizeof(void*));
    if (size > SIZE_MAX - alignment - sizeof(void*)) {
        return nullptr;
    }
    void* const block = std::malloc(size + alignment + sizeof(void*));
    if (block == nullptr) {
        return nullptr;
    }
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block) + sizeof(void*);
    void** const aligned = reinterpret_cast<void**>((start + alignment - 1) & ~(alignment - 1));
    aligned[-1] = block;
    return aligned;
}

void* AllocateOrThrow(std::size_t size, std::align_val_t alignment)
{
    if (void* memory = Allocate(size, alignment)) {
        return memory;
    }
    throw std::bad_alloc();
}

void Free(void* memory, std::align_val_t alignment) noexcept
{
    if (memory == nullptr) {
        return;
    }
    if (g_counting) {
        ++g_freed;
    }
    std::free(alignment == kPlain ? memory : static_cast<void**>(memory)[-1]);
}

}  // namespace

// Each form for one object and for an array alike: PARAMETERS with its
// noexcept, if any, and how the block is made or which alignment it had.
#define OSOBY_NEW(PARAMETERS, MADE) \
    void* operator new PARAMETERS   \
    {                               \
        return MADE;                \
    }                               \
    void* operator new[] PARAMETERS \
    {                               \
        return MADE;                \
    }
#define OSOBY_DELETE(PARAMETERS, ALIGNMENT)    \
    void operator delete PARAMETERS noexcept   \
    {                                          \
        Free(memory, ALIGNMENT);               \
    }                                          \
    void operator delete[] PARAMETERS noexcept \
    {                                          \
        Free(memory, ALIGNMENT);               \
    }

OSOBY_NEW((std::size_t size), AllocateOrThrow(size, kPlain))
OSOBY_NEW((std::size_t size, const std::nothrow_t&) noexcept, Allocate(size, kPlain))
OSOBY_NEW((std::size_t size, std::align_val_t alignment), AllocateOrThrow(size, alignment))
OSOBY_NEW((std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept, Allocate(size, alignment))
OSOBY_DELETE((void* memory), kPlain)
OSOBY_DELETE((void* memory, const std::nothrow_t&), kPlain)
OSOBY_DELETE((void* memory, std::size_t), kPlain)
OSOBY_DELETE((void* memory, std::align_val_t alignment), alignment)
OSOBY_DELETE((void* memory, std::align_val_t alignment, const std::nothrow_t&), alignment)
OSOBY_DELETE((void* memory, std::size_t, std::align_val_t alignment), alignment)

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
