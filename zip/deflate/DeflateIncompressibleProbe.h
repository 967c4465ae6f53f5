// A quick look at a stretch of input that tells whether deflating it can pay,
// so that photographs and other compressed data are stored without the match
// search, which is most of the compressor's time and finds nothing in them.
//
// Deflate gains in two ways, and the probe samples both:
//   literal codes - short codes for frequent bytes. What they can save at most
//                   is the order-0 entropy's shortfall from 8 bits per byte,
//                   estimated from the byte counts of every 4th byte (with the
//                   small-sample correction, since a sample looks less random
//                   than the whole);
//   matches       - repeated strings. Every 16th position looks up its next
//                   8 bytes among the strings seen; the first 16 positions of
//                   every 256 are remembered. A repeat at any distance then
//                   meets one remembered position in 16 probes: about one hit
//                   per 256 repeated bytes, whatever its alignment. Strings
//                   are remembered by value, so repeats of earlier stretches
//                   count too.
//   short matches - records of a few bytes drawn from a set (tables, sampled
//                   signals) repeat as strings too short for the 8-byte look.
//                   Every 32nd position looks up its next 3 bytes among the
//                   3-byte strings of every 16th position seen; the share of
//                   hits estimates the share of bytes that short matches
//                   cover, and half of each such byte is taken as saved.
//                   Photographs hit about 1 probe in 200, such records 1 in
//                   10 or more.
// The estimates lean towards compressing: the entropy ignores the cost of
// sending the codes, and a hit is taken for 256 repeated bytes. A stretch is
// judged incompressible when together they promise less than 1 byte in 50:
// JPEG photographs straight from libjpeg promise about 1 in 90, and the full
// search gets them under 1 in 130.
//
// The probe reads about one byte in four and costs a few per cent of a search.
// Owns a 32 KB and a 16 KB table of remembered strings, cleared for each entry.
#pragma once

#include <array>
#include <cstdint>
#include <span>

class TIncompressibleProbe {
public:
    // Stretches shorter than this are too small a sample to judge.
    static constexpr std::size_t MinimumSample = 4096;

    // Forgets the strings of the last entry (when next probed: most entries
    // are too small ever to be).
    void Reset() { stale_ = true; }

    // Whether deflating data (at least MinimumSample bytes) would save less
    // than 1 byte in 50. Remembers the sampled strings of data.
    bool LooksIncompressible(std::span<const std::uint8_t> data);

    // Counts of each byte value in the last sample, for the text or binary
    // guess of an entry whose first stretch is stored.
    const std::array<std::uint32_t, 256>& ByteCounts() const { return counts_; }

private:
    double LiteralSavingBytes(std::size_t size) const;
    unsigned CountRepeats(std::span<const std::uint8_t> data);
    double ShortMatchSavingBytes(std::span<const std::uint8_t> data);

    static constexpr unsigned TableBits = 12;
    std::array<std::uint64_t, 1u << TableBits> strings_{};
    // 3-byte strings with a marker byte above them, so that no string reads
    // as an empty slot.
    std::array<std::uint32_t, 1u << TableBits> shortStrings_{};
    bool stale_ = false;
    std::array<std::uint32_t, 256> counts_{};
};
