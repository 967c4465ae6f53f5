// The bit reader of the decompressors' hot loops: least significant bit
// first, over the input blocks of a TUnzipIO.
//
// Its state is a small value. A decoder copies it into a local for a loop,
// so that the compiler keeps it in registers (stores through byte pointers
// into the window could otherwise alias it), and stores it back after.
//
// Refill tops the 64-bit buffer up to at least 56 bits: with one unaligned
// 8-byte load while the current block holds 8 more bytes, else byte by byte
// across blocks. The fast load may leave bits of the next, not yet counted
// byte above count; the next refill ORs the same bits in again, so they do no
// harm. Past the end of the input the reader adds zero bytes and counts them:
// a decoder may look ahead, but a stream that uses any of them is truncated.
// Once more zero bytes were added than the buffer holds, some were certainly
// used, and Refill returns false so that the decoder stops: there is no
// endless loop on an exhausted input.
#pragma once

#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>

#include "inflate/HuffmanTable.h"
#include "inflate/UnzipIO.h"

struct TBitReader {
    std::uint64_t buffer = 0;
    unsigned count = 0; // valid bits in buffer
    unsigned zeroBytesPastEnd = 0;
    const std::uint8_t* next = nullptr;
    const std::uint8_t* end = nullptr;

    // A reader that takes over io's input from its current position.
    static TBitReader Start(const TUnzipIO& io)
    {
        TBitReader reader;
        reader.next = io.InputNext();
        reader.end = io.InputEnd();
        return reader;
    }

    // At least 56 bits are in the buffer afterwards; false once the stream
    // has certainly run past the end of its input.
    bool Refill(TUnzipIO& io)
    {
        if (end - next >= 8) {
            buffer |= LoadLittleEndian64(next) << count;
            next += (63 - count) >> 3;
            count |= 56;
            return true;
        }
        *this = RefillSlowly(*this, io);
        return zeroBytesPastEnd <= sizeof buffer;
    }

    // The next n (0 to 32) bits, without using them.
    std::uint32_t Peek(unsigned n) const { return static_cast<std::uint32_t>(buffer & ((std::uint64_t{1} << n) - 1)); }

    void DumpBits(unsigned n)
    {
        assert(n <= count);
        buffer >>= n;
        count -= n;
    }

    std::uint32_t TakeBits(unsigned n)
    {
        const std::uint32_t value = Peek(n);
        DumpBits(n);
        return value;
    }

    // Drops the bits of a base-value code and returns the extra bits after it.
    std::uint32_t TakeExtraBits(THuffmanEntry entry)
    {
        const auto extra = static_cast<std::uint32_t>((buffer >> entry.b) & ((std::uint64_t{1} << entry.e) - 1));
        DumpBits(entry.b + entry.e);
        return extra;
    }

    void AlignToByte() { DumpBits(count & 7); }

    // Moves to io's next input block once this one is used up; false at the end.
    bool NextBlock(TUnzipIO& io)
    {
        io.SetInputNext(end);
        const bool more = io.RefillInput();
        next = io.InputNext();
        end = io.InputEnd();
        return more;
    }

    // Whether bits from beyond the end of the input have been used.
    bool UsedPastEnd() const { return zeroBytesPastEnd * 8 > count; }

    static std::uint64_t LoadLittleEndian64(const std::uint8_t* p)
    {
        std::uint64_t value;
        std::memcpy(&value, p, sizeof value);
        if constexpr (std::endian::native == std::endian::big)
            value = __builtin_bswap64(value);
        return value;
    }

    // Byte by byte, near the end of a block or of the input. Takes and
    // returns the state by value so that the caller's copy never escapes.
    [[gnu::noinline]] static TBitReader RefillSlowly(TBitReader reader, TUnzipIO& io)
    {
        while (reader.count < 56) {
            if (reader.next == reader.end && !reader.NextBlock(io)) {
                ++reader.zeroBytesPastEnd;
            } else {
                reader.buffer |= std::uint64_t{*reader.next++} << reader.count;
            }
            reader.count += 8;
        }
        return reader;
    }
};
