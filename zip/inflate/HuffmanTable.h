// Decoding tables for canonical prefix codes, shared by inflate and explode.
// Inflate's literal/length and distance tables pack the same fields more
// tightly (TInflateEntry, below).
//
// A table decodes one symbol with one lookup of its root bits; codes longer
// than the root go through one subtable. Each entry has three fields:
//   e  0..13  a base value whose e extra bits follow in the stream
//      15     end of block
//      16     a literal (or, for codes without base values, the symbol)
//      17..32 a link to a subtable indexed by the next e - 16 bits
//      99     invalid: a code the set does not contain
//   b  the bits of this code (or of the root, for a link) to drop
//   v  the literal, symbol or base value; for a link, where its subtable starts
// The table index is the next stream bits, least significant first, so every
// code is entered bit-reversed and repeated over all indexes that end in it.
// Every entry that no code reaches is invalid, so a lookup of any bits lands
// inside the table and on a defined entry, whatever the code lengths were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct THuffmanEntry {
    std::uint8_t e;
    std::uint8_t b;
    std::uint16_t v;
};

constexpr std::uint8_t HuffmanEndOfBlock = 15;
constexpr std::uint8_t HuffmanLiteral = 16;
constexpr std::uint8_t HuffmanInvalid = 99;

enum class THuffmanResult {
    Ok,
    Incomplete,     // some bit strings decode to no symbol; the table is usable
    OverSubscribed, // more codes than the lengths leave room for; no table
    OutOfMemory,
};

// A table's root covers the bits asked for, Fitted to no more than its
// longest code (a smaller table, built sooner), or Exactly (its lookups then
// take a mask known ahead; every code of a usable inflate code set fits).
enum class TRootBits { Fitted, Exact };

template <typename TEntry>
class TDecodeTable;
using THuffmanTable = TDecodeTable<THuffmanEntry>;

// Builds the table of the code with the given lengths (0 = symbol unused, at
// most 16; at most 288 symbols). Symbols below simpleCount decode as
// themselves (e 16 below 256, e 15 from 256 on); symbol s from simpleCount on
// decodes to base[s - simpleCount] with extraBits[s - simpleCount] extra
// bits, or as invalid when it lies past the base table. The root covers
// lookupBits, clamped to the shortest and the longest length in use.
// Incomplete is reported only when the longest code is longer than 1 bit: a
// single 1-bit code counts as complete. Out of memory shows the engine's
// message box. Cost: linear in the symbols plus the table size; the table's
// storage is reused from its previous build.
THuffmanResult BuildHuffmanTable(std::span<const std::uint8_t> lengths, unsigned simpleCount,
                                 std::span<const std::uint16_t> base, std::span<const std::uint8_t> extraBits,
                                 unsigned lookupBits, THuffmanTable& table);

// Inflate's entries, packed into 32 bits for its hot loop, where one load
// and a few shifts give everything a symbol needs:
//   bits 0..7   the bits to drop in all: the code's, plus its extra bits
//               for a base value; for a link, the root bits
//   bits 8..11  the code's own bits (the extra bits start above them); for
//               a link, the bits that index its subtable; for a literal,
//               how many literals it decodes (1, or 2 where two short codes
//               fit the root bits together)
//   bits 12..15 the kind: one of the flags below, or none for a base value
//   bits 16..31 the literal (a second one in bits 24..31), base value or the
//               link's subtable start
using TInflateEntry = std::uint32_t;
constexpr TInflateEntry InflateLiteralFlag = 1u << 12;
constexpr TInflateEntry InflateLinkFlag = 1u << 13;
constexpr TInflateEntry InflateEndOfBlockFlag = 1u << 14;
constexpr TInflateEntry InflateInvalidFlag = 1u << 15;
constexpr TInflateEntry InflateKindFlags =
    InflateLiteralFlag | InflateLinkFlag | InflateEndOfBlockFlag | InflateInvalidFlag;
using TInflateTable = TDecodeTable<TInflateEntry>;

// The same code in inflate's entries; its invalid entries drop no bits.
THuffmanResult BuildInflateTable(std::span<const std::uint8_t> lengths, unsigned simpleCount,
                                 std::span<const std::uint16_t> base, std::span<const std::uint8_t> extraBits,
                                 unsigned lookupBits, TInflateTable& table,
                                 TRootBits rootWidth = TRootBits::Fitted);

// The root table followed by its subtables, in one allocation the table owns.
// Empty when every code length was 0.
template <typename TEntry>
class TDecodeTable {
public:
    bool Empty() const { return entries_.empty(); }
    unsigned LookupBits() const { return lookupBits_; }
    // The root table; a link's subtable starts at the index its value gives.
    const TEntry* Entries() const { return entries_.data(); }
    std::size_t Size() const { return entries_.size(); }

private:
    friend THuffmanResult BuildHuffmanTable(std::span<const std::uint8_t>, unsigned, std::span<const std::uint16_t>,
                                            std::span<const std::uint8_t>, unsigned, THuffmanTable&);
    friend THuffmanResult BuildInflateTable(std::span<const std::uint8_t>, unsigned, std::span<const std::uint16_t>,
                                            std::span<const std::uint8_t>, unsigned, TInflateTable&, TRootBits);
    std::vector<TEntry> entries_;
    unsigned lookupBits_ = 0;
};
