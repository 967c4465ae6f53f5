#include "deflate/DeflateIncompressibleProbe.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::size_t ByteStride = 4;
constexpr std::size_t ProbeStride = 16;
constexpr std::size_t RememberEvery = 256;
constexpr std::size_t StringBytes = 8;
// A hit stands for this many repeated bytes (see the header).
constexpr double BytesPerHit = RememberEvery;
// A repeated byte coded in a match saves about half its cost, as a guess
// that errs towards compressing.
constexpr double SavingPerRepeatedByte = 0.5;
// The look for short matches (see the header).
constexpr std::size_t ShortStringBytes = 3;
constexpr std::size_t ShortRememberStride = 16;
constexpr std::size_t ShortProbeStride = 32;
constexpr std::size_t ShortProbeOffset = 3; // never a remembered position
constexpr double SavingPerShortMatchedByte = 0.5;
constexpr std::uint32_t ShortStringMarker = 0x01000000;
// Deflating pays when it saves at least 1 byte in this many.
constexpr double WorthwhileShare = 50;

std::uint64_t Load64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint32_t Load24(const std::uint8_t* p)
{
    return ShortStringMarker | p[0] | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
}

}  // namespace

bool TIncompressibleProbe::LooksIncompressible(std::span<const std::uint8_t> data)
{
    if (stale_) {
        strings_.fill(0);
        shortStrings_.fill(0);
        stale_ = false;
    }
    counts_.fill(0);
    for (std::size_t i = 0; i < data.size(); i += ByteStride)
        counts_[data[i]]++;
    const double saving = LiteralSavingBytes(data.size()) +
                          CountRepeats(data) * BytesPerHit * SavingPerRepeatedByte + ShortMatchSavingBytes(data);
    return saving < static_cast<double>(data.size()) / WorthwhileShare;
}

// size x (8 - entropy) / 8, the entropy estimated from the sample with the
// Miller-Madow correction: (values seen - 1) / (2 x samples x ln 2) bits.
double TIncompressibleProbe::LiteralSavingBytes(std::size_t size) const
{
    double samples = 0;
    double sumCLogC = 0;
    unsigned seen = 0;
    for (std::uint32_t c : counts_) {
        if (c == 0)
            continue;
        samples += c;
        sumCLogC += c * std::log2(static_cast<double>(c));
        ++seen;
    }
    const double entropy = std::log2(samples) - sumCLogC / samples + (seen - 1) / (2 * samples * std::log(2.0));
    return static_cast<double>(size) * std::max(0.0, 8 - entropy) / 8;
}

// In each 256 bytes: first the 16 probes, then the 16 strings remembered, so
// that no probe meets its own string.
unsigned TIncompressibleProbe::CountRepeats(std::span<const std::uint8_t> data)
{
    const auto slot = [](std::uint64_t s) { return static_cast<std::size_t>((s * 0x9E3779B97F4A7C15u) >> (64 - TableBits)); };
    unsigned hits = 0;
    for (std::size_t start = 0; start + RememberEvery + StringBytes <= data.size(); start += RememberEvery) {
        const std::uint8_t* p = data.data() + start;
        for (std::size_t i = 0; i < RememberEvery; i += ProbeStride) {
            const std::uint64_t s = Load64(p + i);
            hits += strings_[slot(s)] == s;
        }
        for (std::size_t i = 0; i < ProbeStride; ++i) {
            const std::uint64_t s = Load64(p + i);
            strings_[slot(s)] = s;
        }
    }
    return hits;
}

// In each stretch of 32 bytes: first the probe, then the two strings
// remembered.
double TIncompressibleProbe::ShortMatchSavingBytes(std::span<const std::uint8_t> data)
{
    const auto slot = [](std::uint32_t s) { return static_cast<std::size_t>((s * 0x9E3779B1u) >> (32 - TableBits)); };
    unsigned probes = 0;
    unsigned hits = 0;
    for (std::size_t start = 0; start + ShortProbeStride + ShortStringBytes <= data.size(); start += ShortProbeStride) {
        const std::uint8_t* p = data.data() + start;
        const std::uint32_t probed = Load24(p + ShortProbeOffset);
        hits += shortStrings_[slot(probed)] == probed;
        ++probes;
        for (std::size_t i = 0; i < ShortProbeStride; i += ShortRememberStride) {
            const std::uint32_t s = Load24(p + i);
            shortStrings_[slot(s)] = s;
        }
    }
    if (probes == 0)
        return 0;
    return static_cast<double>(hits) / probes * static_cast<double>(data.size()) * SavingPerShortMatchedByte;
}
