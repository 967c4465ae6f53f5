// One entry of a single-file archive decoded into memory, away from the
// extraction run: its local header and data read with pread from a
// descriptor of the archive, a block at a time, inflated into memory the
// caller gives and checked
// against the CRC-32 and size the directory holds. Only a sound result
// comes back; whatever is wrong with the entry (no local header, data that
// end early or are bad, a size or CRC that differs) is left for the run to
// find and report in its own way.
//
// The bytes go to memory in the very blocks the run's own decompressor
// hands its output, and the points where the run's own reads would poll for
// a cancel are kept, so that the run writes them with the same progress
// events and polls where it would.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <vector>

class TInflater;

// What decoding needs of an entry: where it lies and what it must give.
struct TEntryToDecode {
    int Index = 0; // in the run's order
    std::uint64_t LocalHeaderOffset = 0;
    std::uint64_t CompressedSize = 0;
    std::uint64_t UncompressedSize = 0;
    std::uint32_t CRC32 = 0;
    std::uint16_t Method = 0; // 8: deflated
    std::uint32_t LocalSignature = 0;
};

struct TDecodedEntry {
    // What the bytes were decoded and checked as.
    TEntryToDecode Entry;
    // Where the entry's data begin, behind its local header.
    std::uint64_t DataStart = 0;
    // UncompressedSize bytes, in memory that the decoder was given.
    std::span<const std::uint8_t> Bytes;
    // The sizes of the blocks the bytes came in, in order.
    std::vector<std::uint32_t> Blocks;
    // For each read of compressed bytes, in order: the blocks handed out
    // before it.
    std::vector<std::uint32_t> Reads;
};

// The entry read from archive, an open descriptor, and decoded with inflater
// (which one thread may use for one entry at a time) into memory, of
// UncompressedSize bytes; none when it is not sound or when stop is
// requested meanwhile.
std::optional<TDecodedEntry> DecodeEntry(int archive, const TEntryToDecode& entry, TInflater& inflater,
                                         std::span<std::uint8_t> memory, std::stop_token stop);
