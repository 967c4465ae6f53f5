// Implode (zip application note, section "Imploding - Method 6") is a
// sliding-window coder of 4 KB or 8 KB with Shannon-Fano codes. Each item
// of the stream starts with one bit:
//   1  a literal: 8 plain bits, or a code of the literal tree when the entry
//      has one (flag bit 2)
//   0  a match: the low 6 (4 KB) or 7 (8 KB, flag bit 1) bits of the
//      distance, a distance code for its high bits, a length code, and for
//      the last length code 8 more bits
// The trees come first, each sent as runs of equal bit lengths: a count
// byte, then bytes whose high nibble is the run's length - 1 and whose low
// nibble is the bit length - 1.
//
// A Shannon-Fano code of this format, with every bit inverted, is the
// canonical prefix code of the same bit lengths that deflate uses. So the
// inflate table builder makes the tables, and a lookup takes the inverted
// stream bits as its index: one lookup of 7 to 9 root bits decodes most
// codes. Bits come through inflate's 64-bit reader, one refill per item; the
// output goes into a history window that keeps the 8 KB a match may reach.
#include "legacy/Explode.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

#include "inflate/BitReader.h"
#include "inflate/HuffmanTable.h"
#include "legacy/HistoryWindow.h"

namespace {

constexpr unsigned LiteralCodes = 256;
constexpr unsigned LengthCodes = 64;
constexpr unsigned DistanceCodes = 64;
// The last length code is followed by 8 bits that add to its length.
constexpr unsigned LongLengthExtraBits = 8;
constexpr std::size_t MaxDistance = 8192;

// Root bits of the lookups; large entries get a wider distance root.
constexpr unsigned LiteralLookupBits = 9;
constexpr unsigned LengthLookupBits = 7;
constexpr unsigned SmallDistanceLookupBits = 7;
constexpr unsigned LargeDistanceLookupBits = 8;
constexpr std::uint64_t LargeEntrySize = 200000;

std::uint64_t Mask(unsigned bits)
{
    return (std::uint64_t{1} << bits) - 1;
}

// Reads the bit lengths of a tree of lengths.size() codes. False when the
// runs do not give exactly that many codes, or the input ends.
bool ReadBitLengthTable(TBitReader& bits, TUnzipIO& io, std::span<std::uint8_t> lengths)
{
    if (!bits.Refill(io))
        return false;
    const unsigned runs = bits.TakeBits(8) + 1;
    std::size_t filled = 0;
    for (unsigned i = 0; i < runs; ++i) {
        if (bits.count < 8 && !bits.Refill(io))
            return false;
        const unsigned run = bits.TakeBits(8);
        const std::size_t count = (run >> 4) + 1;
        if (count > lengths.size() - filled)
            return false;
        std::fill_n(lengths.begin() + static_cast<std::ptrdiff_t>(filled), count,
                    static_cast<std::uint8_t>((run & 15) + 1));
        filled += count;
    }
    return filled == lengths.size() && !bits.UsedPastEnd();
}

// Reads one tree and builds its table; false for a bad or incomplete tree.
bool ReadTree(TBitReader& bits, TUnzipIO& io, std::span<std::uint8_t> lengths, unsigned simpleCount,
              std::span<const std::uint16_t> base, std::span<const std::uint8_t> extraBits, unsigned lookupBits,
              THuffmanTable& table)
{
    return ReadBitLengthTable(bits, io, lengths) &&
           BuildHuffmanTable(lengths, simpleCount, base, extraBits, lookupBits, table) == THuffmanResult::Ok;
}

// Decodes one inverted code; false for a bit string the tree does not hold.
bool Decode(const THuffmanTable& table, TBitReader& bits, THuffmanEntry& entry)
{
    const THuffmanEntry* entries = table.Entries();
    entry = entries[~bits.buffer & Mask(table.LookupBits())];
    if (entry.e > HuffmanLiteral && entry.e != HuffmanInvalid) {
        bits.DumpBits(entry.b);
        entry = entries[entry.v + (~bits.buffer & Mask(entry.e - HuffmanLiteral))];
    }
    if (entry.e == HuffmanInvalid)
        return false;
    bits.DumpBits(entry.b);
    return true;
}

struct TTrees {
    THuffmanTable literals; // empty without a literal tree
    THuffmanTable lengths;
    THuffmanTable distances;
    unsigned lowDistanceBits = 0;
};

bool ReadTrees(TBitReader& bits, TUnzipIO& io, const TImplodeOptions& options, TTrees& trees)
{
    std::array<std::uint8_t, LiteralCodes> lengths{};
    if (options.literalTree &&
        !ReadTree(bits, io, std::span(lengths), LiteralCodes, {}, {}, LiteralLookupBits, trees.literals))
        return false;

    std::array<std::uint16_t, LengthCodes> lengthBase{};
    std::array<std::uint8_t, LengthCodes> lengthExtra{};
    const unsigned shortest = options.literalTree ? 3 : 2;
    for (unsigned code = 0; code < LengthCodes; ++code)
        lengthBase[code] = static_cast<std::uint16_t>(shortest + code);
    lengthExtra[LengthCodes - 1] = LongLengthExtraBits;
    if (!ReadTree(bits, io, std::span(lengths).first(LengthCodes), 0, lengthBase, lengthExtra, LengthLookupBits,
                  trees.lengths))
        return false;

    trees.lowDistanceBits = options.eightKDictionary ? 7 : 6;
    std::array<std::uint16_t, DistanceCodes> distanceBase{};
    const std::array<std::uint8_t, DistanceCodes> distanceExtra{};
    for (unsigned code = 0; code < DistanceCodes; ++code)
        distanceBase[code] = static_cast<std::uint16_t>((code << trees.lowDistanceBits) + 1);
    const unsigned distanceLookup =
        options.compressedSize > LargeEntrySize ? LargeDistanceLookupBits : SmallDistanceLookupBits;
    return ReadTree(bits, io, std::span(lengths).first(DistanceCodes), 0, distanceBase, distanceExtra,
                    distanceLookup, trees.distances);
}

// One item takes at most 1 + 7 + 16 + 16 + 8 = 48 bits, within one refill.
TLegacyStatus DecodeItems(TBitReader& bits, TUnzipIO& io, const TTrees& trees, THistoryWindow& window)
{
    const bool literalTree = !trees.literals.Empty();
    THuffmanEntry entry;
    while (window.Left() > 0) {
        if (!bits.Refill(io))
            return TLegacyStatus::Truncated;
        if (bits.TakeBits(1) == 1) {
            if (!literalTree) {
                window.PutByte(static_cast<std::uint8_t>(bits.TakeBits(8)));
                continue;
            }
            if (!Decode(trees.literals, bits, entry))
                return TLegacyStatus::BadData;
            window.PutByte(static_cast<std::uint8_t>(entry.v));
            continue;
        }
        const unsigned low = bits.TakeBits(trees.lowDistanceBits);
        if (!Decode(trees.distances, bits, entry))
            return TLegacyStatus::BadData;
        const std::size_t distance = low + entry.v;
        if (!Decode(trees.lengths, bits, entry))
            return TLegacyStatus::BadData;
        window.CopyMatch(distance, entry.v + bits.TakeBits(entry.e));
    }
    return bits.UsedPastEnd() ? TLegacyStatus::Truncated : TLegacyStatus::Ok;
}

} // namespace

TLegacyStatus Explode(TUnzipIO& io, const TImplodeOptions& options)
{
    // An empty entry needs no data, not even trees.
    if (options.uncompressedSize == 0)
        return TLegacyStatus::Ok;
    TBitReader bits = TBitReader::Start(io);
    TTrees trees;
    if (!ReadTrees(bits, io, options, trees))
        return bits.UsedPastEnd() ? TLegacyStatus::Truncated : TLegacyStatus::BadData;
    THistoryWindow window(io, MaxDistance, options.uncompressedSize);
    const TLegacyStatus status = DecodeItems(bits, io, trees, window);
    if (status == TLegacyStatus::Ok)
        window.FlushAll();
    return status;
}
