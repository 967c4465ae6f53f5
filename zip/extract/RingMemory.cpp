#include "extract/RingMemory.h"

#include <sys/mman.h>

#include <new>

namespace {

// The huge page of x86-64 and of most arm64 systems.
constexpr std::size_t HugePage = 2 << 20;

} // namespace

TRingMemory::TRingMemory(std::size_t size)
    : memory_(static_cast<std::uint8_t*>(std::aligned_alloc(HugePage, (size + HugePage - 1) / HugePage * HugePage)))
{
    if (!memory_)
        throw std::bad_alloc();
    // Only whole huge pages of what is used: a smaller ring would fault in
    // more than it uses. Only a hint: refused, the ring takes ordinary pages.
    ::madvise(memory_.get(), size / HugePage * HugePage, MADV_HUGEPAGE);
}
