// The memory of decode-ahead's ring: a few MB that the helpers fill and the
// run reads, over and over. Memory new to a process is faulted in page by
// page on its first touch, and on some machines each such fault costs more
// than decoding the page's bytes; so the ring asks for huge pages, a fault or
// two for all of it. Where the system has none to give, it takes ordinary
// pages, as any allocation does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

class TRingMemory {
public:
    TRingMemory() = default;
    // Throws std::bad_alloc when there is not enough memory.
    explicit TRingMemory(std::size_t size);

    std::uint8_t* Data() const { return memory_.get(); }

private:
    struct TFree {
        void operator()(std::uint8_t* memory) const { std::free(memory); }
    };
    std::unique_ptr<std::uint8_t[], TFree> memory_;
};
