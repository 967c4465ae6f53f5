// Reduce (zip application note, section "Expanding - Methods 2-5") runs in
// two stages. The inner one is a probabilistic byte coder: for every byte
// value the stream first lists up to 63 "followers", the bytes that most
// often came after it. A byte that is one of its predecessor's followers is
// sent as a 0 bit and its index in the set (just wide enough for the set);
// any other byte as a 1 bit and its 8 bits.
//
// The bytes so decoded form the outer stage, a run-length and
// back-reference scheme around the escape byte DLE (144):
//   DLE 0                one literal 144
//   DLE V [X] D          copy length + 3 bytes from distance back, where the
//                        low bits of V give the length (when they are all
//                        ones, X adds to it) and the high bits of V with D
//                        give the distance - 1
// The factor (1 to 4) sets how many bits of V go to the length.
//
// The coder reads its bits through the 64-bit bit reader of inflate and
// writes into a history window that keeps the 4 KB a reference may reach.
#include "legacy/Unreduce.h"

#include <array>
#include <bit>
#include <cassert>

#include "inflate/BitReader.h"
#include "legacy/HistoryWindow.h"

namespace {

constexpr std::uint8_t EscapeByte = 144;
constexpr unsigned MaxFactor = 4;
// The farthest reference: 15 × 256 + 255 + 1 bytes back, with factor 4.
constexpr std::size_t MaxDistance = 4096;

struct TFactorTables {
    unsigned lengthMask;     // the bits of V that give the length
    unsigned distanceShift;  // where the distance bits of V start
    unsigned distanceMask;
};
constexpr std::array<TFactorTables, MaxFactor + 1> FactorTables{{
    {0, 0, 0}, // factor 0 does not exist
    {127, 7, 1},
    {63, 6, 3},
    {31, 5, 7},
    {15, 4, 15},
}};

// The bits that index a set of count followers: enough for count - 1, at
// least 1.
unsigned FollowerIndexBits(unsigned count)
{
    return count <= 2 ? 1 : static_cast<unsigned>(std::bit_width(count - 1));
}

// A set's size is sent in 6 bits.
constexpr unsigned MaxFollowers = 63;

struct TFollowerSet {
    std::uint8_t count = 0;
    std::uint8_t indexBits = 0;
    std::array<std::uint8_t, MaxFollowers> bytes{};
};

// The follower sets come last byte value first, each its size and then its
// bytes.
bool LoadFollowers(TBitReader& bits, TUnzipIO& io, std::array<TFollowerSet, 256>& sets)
{
    for (int x = 255; x >= 0; --x) {
        TFollowerSet& set = sets[static_cast<std::size_t>(x)];
        if (!bits.Refill(io))
            return false;
        set.count = static_cast<std::uint8_t>(bits.TakeBits(6));
        set.indexBits = static_cast<std::uint8_t>(FollowerIndexBits(set.count));
        for (unsigned i = 0; i < set.count; ++i) {
            if (bits.count < 8 && !bits.Refill(io))
                return false;
            set.bytes[i] = static_cast<std::uint8_t>(bits.TakeBits(8));
        }
    }
    return !bits.UsedPastEnd();
}

// The stages of a DLE sequence.
enum class TState { Plain, AfterEscape, ExtraLength, Distance };

} // namespace

TLegacyStatus Unreduce(TUnzipIO& io, unsigned factor, std::uint64_t uncompressedSize)
{
    assert(factor >= 1 && factor <= MaxFactor);
    const TFactorTables& tables = FactorTables[factor];
    // An empty entry needs no data, not even follower sets.
    if (uncompressedSize == 0)
        return TLegacyStatus::Ok;
    TBitReader bits = TBitReader::Start(io);
    std::array<TFollowerSet, 256> sets;
    if (!LoadFollowers(bits, io, sets))
        return TLegacyStatus::Truncated;

    THistoryWindow window(io, MaxDistance, uncompressedSize);
    TState state = TState::Plain;
    unsigned v = 0;
    unsigned length = 0;
    std::uint8_t previous = 0;
    while (window.Left() > 0) {
        // One byte of the inner stage takes at most 1 + 8 bits.
        if (bits.count < 9 && !bits.Refill(io))
            return TLegacyStatus::Truncated;
        const TFollowerSet& set = sets[previous];
        std::uint8_t c;
        if (set.count == 0 || bits.TakeBits(1) == 1) {
            c = static_cast<std::uint8_t>(bits.TakeBits(8));
        } else {
            const unsigned index = bits.TakeBits(set.indexBits);
            if (index >= set.count)
                return TLegacyStatus::BadData;
            c = set.bytes[index];
        }
        switch (state) {
        case TState::Plain:
            if (c == EscapeByte)
                state = TState::AfterEscape;
            else
                window.PutByte(c);
            break;
        case TState::AfterEscape:
            if (c == 0) {
                window.PutByte(EscapeByte);
                state = TState::Plain;
            } else {
                v = c;
                length = v & tables.lengthMask;
                state = length == tables.lengthMask ? TState::ExtraLength : TState::Distance;
            }
            break;
        case TState::ExtraLength:
            length += c;
            state = TState::Distance;
            break;
        case TState::Distance:
            window.CopyMatch(((v >> tables.distanceShift) & tables.distanceMask) * 256 + c + 1, length + 3);
            state = TState::Plain;
            break;
        }
        previous = c;
    }
    if (bits.UsedPastEnd())
        return TLegacyStatus::Truncated;
    window.FlushAll();
    return TLegacyStatus::Ok;
}
