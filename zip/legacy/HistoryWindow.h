// The output window of unreduce and explode: one buffer holding the last
// bytes produced (the history a back-reference may reach) followed by room
// for new ones. Bytes are written straight into it and back-references copy
// from behind the write position, with no wrap-around to care for. When the
// room fills, the new bytes go to the output and the newest history moves to
// the front.
//
// The history starts as zeros, so a reference that reaches before the
// entry's first byte produces zero bytes, as the formats' own decoders do;
// references never see an earlier entry. Every copy is clamped to the bytes
// the entry still owes, so no copy runs past the entry's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "inflate/UnzipIO.h"

class THistoryWindow {
public:
    // A window that keeps historySize bytes for references of at most that
    // distance and owes entrySize bytes to io's output.
    THistoryWindow(TUnzipIO& io, std::size_t historySize, std::uint64_t entrySize);

    // The bytes the entry still owes.
    std::uint64_t Left() const { return left_; }

    void PutByte(std::uint8_t value)
    {
        *out_++ = value;
        --left_;
        if (out_ == end_)
            Flush();
    }

    // Copies length bytes from distance (1 to the history size) back, at
    // most Left() of them. An overlapping copy goes forward byte by byte, so
    // it repeats the most recent bytes.
    void CopyMatch(std::size_t distance, std::size_t length);

    // Hands every byte produced and not yet written to the output.
    void FlushAll();

private:
    void Flush();

    TUnzipIO& io_;
    std::size_t historySize_;
    std::vector<std::uint8_t> buffer_;
    std::uint8_t* out_;
    std::uint8_t* end_;
    std::uint64_t left_;
};
