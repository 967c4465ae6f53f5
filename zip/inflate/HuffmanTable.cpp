// Building decoding tables for canonical prefix codes (RFC 1951, 3.2.2).
//
// The code lengths alone define the code: codes are handed out in order of
// length and, within a length, of symbol, each one the previous plus one,
// shifted left when the length grows. A table then maps the next root bits
// of the stream straight to the entry of the code they start with. Codes no
// longer than the root fill every root index ending in their (reversed) bits;
// longer codes that share their first root bits share a subtable, linked from
// the root, that is just wide enough for the longest of them. So a decoder
// needs one lookup, or two for long codes, and never a loop.
//
// The root is filled length by length, doubling as it goes: once the codes
// up to length n are in its first 2^n entries, a copy of those entries
// behind them repeats each code at every (n + 1)-bit index that ends in it,
// and each code of length n + 1 then takes its one index. That writes the
// root with block copies instead of one strided pass per code.
#include "inflate/HuffmanTable.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <new>

#include "ZipUI.h"

namespace {

constexpr unsigned MaxLength = 16;
constexpr std::size_t MaxSymbols = 288;

// ByteReversed[b] is b with its bit order reversed.
constexpr std::array<std::uint8_t, 256> MakeByteReversed()
{
    std::array<std::uint8_t, 256> reversed{};
    for (unsigned b = 0; b < 256; ++b)
        for (unsigned i = 0; i < 8; ++i)
            reversed[b] |= static_cast<std::uint8_t>(((b >> i) & 1) << (7 - i));
    return reversed;
}
constexpr auto ByteReversed = MakeByteReversed();

// The low length bits of code (length at most 16) in reverse order.
unsigned ReverseBits(unsigned code, unsigned length)
{
    const unsigned reversed16 = unsigned{ByteReversed[code & 0xFF]} << 8 | ByteReversed[(code >> 8) & 0xFF];
    return reversed16 >> (16 - length);
}

struct TCodeSet {
    std::span<const std::uint8_t> lengths;
    unsigned simpleCount;
    std::span<const std::uint16_t> base;
    std::span<const std::uint8_t> extraBits;
};

// The entries of THuffmanTable.
struct THuffmanFormat {
    using TEntry = THuffmanEntry;

    static TEntry Invalid() { return {HuffmanInvalid, 0, 0}; }

    static TEntry Leaf(const TCodeSet& set, unsigned symbol, unsigned bits)
    {
        const auto b = static_cast<std::uint8_t>(bits);
        if (symbol < set.simpleCount) {
            const std::uint8_t e = symbol < 256 ? HuffmanLiteral : HuffmanEndOfBlock;
            return {e, b, static_cast<std::uint16_t>(symbol)};
        }
        const unsigned offset = symbol - set.simpleCount;
        if (offset >= set.base.size() || offset >= set.extraBits.size())
            return {HuffmanInvalid, b, 0};
        return {set.extraBits[offset], b, set.base[offset]};
    }

    static TEntry Link(unsigned subBits, unsigned rootBits, std::size_t start)
    {
        return {static_cast<std::uint8_t>(HuffmanLiteral + subBits), static_cast<std::uint8_t>(rootBits),
                static_cast<std::uint16_t>(start)};
    }
};

// The packed entries of TInflateTable.
struct TInflateFormat {
    using TEntry = TInflateEntry;

    static TEntry Invalid() { return InflateInvalidFlag; }

    static TEntry Leaf(const TCodeSet& set, unsigned symbol, unsigned bits)
    {
        if (symbol < set.simpleCount)
            return symbol < 256 ? InflateLiteralFlag | symbol << 16 | 1u << 8 | bits : InflateEndOfBlockFlag | bits;
        const unsigned offset = symbol - set.simpleCount;
        if (offset >= set.base.size() || offset >= set.extraBits.size())
            return InflateInvalidFlag;
        return unsigned{set.base[offset]} << 16 | bits << 8 | (bits + set.extraBits[offset]);
    }

    static TEntry Link(unsigned subBits, unsigned rootBits, std::size_t start)
    {
        return InflateLinkFlag | static_cast<TEntry>(start) << 16 | subBits << 8 | rootBits;
    }
};

// The width of a subtable whose first code has the given length: grown until
// the codes still to place fill it, so that every code with its prefix fits.
unsigned SubtableBits(unsigned length, unsigned rootBits, unsigned maxLength,
                      const std::array<unsigned, MaxLength + 1>& remaining)
{
    unsigned bits = length - rootBits;
    int slots = 1 << bits;
    while (bits + rootBits < maxLength) {
        slots -= static_cast<int>(remaining[bits + rootBits]);
        if (slots <= 0)
            break;
        ++bits;
        slots <<= 1;
    }
    return bits;
}

template <typename TEntry>
void Fill(std::vector<TEntry>& entries, std::size_t start, unsigned index, unsigned step, std::size_t size,
          TEntry entry)
{
    for (std::size_t i = index; i < size; i += step)
        entries[start + i] = entry;
}

// The counts of the lengths, and the symbols in use sorted by length, then
// by symbol: the order in which the canonical codes are handed out. Both
// passes take four quarters of the symbols side by side: a run of equal
// lengths would otherwise bump one counter in memory time after time, each
// bump waiting for the one before.
struct TSortedSymbols {
    std::array<unsigned, MaxLength + 1> count{};
    // One slot more, where the symbols of length 0 go without a branch.
    std::array<std::uint16_t, MaxSymbols + 1> sorted{};

    explicit TSortedSymbols(std::span<const std::uint8_t> lengths)
    {
        constexpr std::size_t Quarters = 4;
        const std::size_t size = lengths.size();
        const std::size_t quarterSize = (size + Quarters - 1) / Quarters;
        std::array<std::array<unsigned, MaxLength + 1>, Quarters> quarterCount{};
        for (std::size_t i = 0; i < quarterSize; ++i)
            for (std::size_t q = 0; q < Quarters; ++q)
                if (const std::size_t symbol = q * quarterSize + i; symbol < size) {
                    assert(lengths[symbol] <= MaxLength);
                    ++quarterCount[q][lengths[symbol]];
                }

        // Where the next symbol of each quarter and length goes.
        std::array<std::array<unsigned, MaxLength + 1>, Quarters> next{};
        unsigned position = 0;
        for (std::size_t q = 0; q < Quarters; ++q) {
            next[q][0] = MaxSymbols;
            count[0] += quarterCount[q][0];
        }
        for (unsigned length = 1; length <= MaxLength; ++length)
            for (std::size_t q = 0; q < Quarters; ++q) {
                next[q][length] = position;
                position += quarterCount[q][length];
                count[length] += quarterCount[q][length];
            }
        for (std::size_t i = 0; i < quarterSize; ++i)
            for (std::size_t q = 0; q < Quarters; ++q)
                if (const std::size_t symbol = q * quarterSize + i; symbol < size) {
                    const std::uint8_t length = lengths[symbol];
                    sorted[next[q][length]] = static_cast<std::uint16_t>(symbol);
                    next[q][length] += length != 0;
                }
    }
};

template <typename TFormat>
THuffmanResult Build(const TCodeSet& set, unsigned lookupBits, TRootBits rootWidth,
                     std::vector<typename TFormat::TEntry>& entries, unsigned& rootBits)
{
    assert(set.lengths.size() <= MaxSymbols);
    const TSortedSymbols symbols(set.lengths);
    const auto& count = symbols.count;
    const auto& sorted = symbols.sorted;
    rootBits = 0;
    if (count[0] == set.lengths.size()) {
        entries.clear();
        return THuffmanResult::Ok;
    }

    unsigned minLength = 1;
    while (count[minLength] == 0)
        ++minLength;
    unsigned maxLength = MaxLength;
    while (count[maxLength] == 0)
        --maxLength;

    int left = 1;
    for (unsigned length = 1; length <= MaxLength; ++length) {
        left = (left << 1) - static_cast<int>(count[length]);
        if (left < 0) {
            entries.clear();
            return THuffmanResult::OverSubscribed;
        }
    }

    rootBits = rootWidth == TRootBits::Exact ? std::max(lookupBits, minLength)
                                             : std::clamp(lookupBits, minLength, maxLength);
    const std::size_t rootSize = std::size_t{1} << rootBits;
    std::size_t used = rootSize;
    if (entries.size() < used)
        entries.resize(used);
    // A complete code writes every entry of a subtable; only an incomplete
    // one needs the entries that no code reaches set to invalid beforehand.
    const bool incomplete = left > 0;
    const auto allocateSubtable = [&](std::size_t size) {
        const std::size_t start = used;
        used += size;
        if (entries.size() < used)
            entries.resize(used, TFormat::Invalid());
        if (incomplete)
            std::fill_n(entries.begin() + static_cast<std::ptrdiff_t>(start), size, TFormat::Invalid());
        return start;
    };

    // The root grows from one invalid entry, doubled once per length: the
    // copy repeats every shorter code at all the indexes that end in it, and
    // each code of the new length then takes its one index.
    entries[0] = TFormat::Invalid();
    std::size_t width = 1;
    std::array<unsigned, MaxLength + 1> remaining = count;
    unsigned code = 0; // the canonical code, first bit most significant
    unsigned next = 0;
    unsigned subPrefix = ~0u;
    std::size_t subStart = 0;
    unsigned subBits = 0;
    for (unsigned length = 1; length <= maxLength; ++length, code <<= 1) {
        const unsigned end = next + count[length];
        if (length <= rootBits) {
            std::copy_n(entries.begin(), width, entries.begin() + static_cast<std::ptrdiff_t>(width));
            width *= 2;
            for (; next < end; ++code, ++next)
                entries[ReverseBits(code, length)] = TFormat::Leaf(set, sorted[next], length);
            continue;
        }
        for (; next < end; ++code, ++next) {
            const unsigned reversed = ReverseBits(code, length);
            const unsigned prefix = reversed & (rootSize - 1);
            if (prefix != subPrefix) {
                subPrefix = prefix;
                subBits = SubtableBits(length, rootBits, maxLength, remaining);
                subStart = allocateSubtable(std::size_t{1} << subBits);
                assert(subStart <= 0xFFFF);
                entries[prefix] = TFormat::Link(subBits, rootBits, subStart);
            }
            const unsigned subLength = length - rootBits;
            Fill(entries, subStart, reversed >> rootBits, 1u << subLength, std::size_t{1} << subBits,
                 TFormat::Leaf(set, sorted[next], subLength));
            // Only the subtables' widths need the codes still to place.
            --remaining[length];
        }
    }
    // A root wider than the longest code repeats all of them.
    for (; width < rootSize; width *= 2)
        std::copy_n(entries.begin(), width, entries.begin() + static_cast<std::ptrdiff_t>(width));
    entries.resize(used);
    return incomplete && maxLength > 1 ? THuffmanResult::Incomplete : THuffmanResult::Ok;
}

// A literal code in the root: its bit string (the entry's index below
// 2^bits, where the code is first repeated) and its entry.
struct TRootLiteral {
    std::size_t index;
    unsigned bits;
    TInflateEntry entry;
};

// Where a root literal leaves room in the root bits for a whole second
// literal code, its entry decodes both: one lookup yields two bytes. Only
// worth it when the two shortest literal codes fit the root together.
// Writes each pair over the indexes that start with both codes, so only
// the entries that pair are written, and nothing is read that was written.
void PairRootLiterals(std::vector<TInflateEntry>& entries, unsigned rootBits, unsigned shortest)
{
    // Every code that leaves room for another one starts at an index below
    // 2^(rootBits - shortest); each literal code at most once. They are
    // gathered without a branch (whether an index starts a code is hard to
    // predict), then sorted by length, counting.
    std::array<TRootLiteral, 257> found;
    std::size_t count = 0;
    std::array<unsigned, MaxLength + 2> start{};
    for (std::size_t i = 0; i < std::size_t{1} << (rootBits - shortest); ++i) {
        const TInflateEntry entry = entries[i];
        const unsigned bits = std::min(entry & 0xFF, MaxLength);
        const bool starts = (entry & InflateLiteralFlag) && (i >> bits) == 0;
        found[count] = {i, bits, entry};
        count += starts;
        start[bits + 1] += starts;
    }
    for (unsigned bits = 1; bits <= MaxLength; ++bits)
        start[bits + 1] += start[bits];
    std::array<TRootLiteral, 256> literals;
    for (const TRootLiteral& literal : std::span(found).first(count))
        literals[start[literal.bits]++] = literal;
    const auto used = std::span(literals).first(count);

    const std::size_t rootSize = std::size_t{1} << rootBits;
    for (const TRootLiteral& first : used) {
        for (const TRootLiteral& second : used) {
            const unsigned bits = first.bits + second.bits;
            if (bits > rootBits)
                break;
            const TInflateEntry pair =
                InflateLiteralFlag | (first.entry >> 16 | (second.entry >> 16) << 8) << 16 | 2u << 8 | bits;
            for (std::size_t i = first.index | second.index << first.bits; i < rootSize; i += std::size_t{1} << bits)
                entries[i] = pair;
        }
    }
}

unsigned ShortestLiteralCode(const TCodeSet& set)
{
    unsigned shortest = MaxLength + 1;
    const std::size_t literals = std::min<std::size_t>({set.lengths.size(), set.simpleCount, 256});
    for (std::size_t symbol = 0; symbol < literals; ++symbol)
        shortest = std::min<unsigned>(shortest, set.lengths[symbol] == 0 ? MaxLength + 1 : set.lengths[symbol]);
    return shortest;
}

template <typename TFormat>
THuffmanResult BuildTable(const TCodeSet& set, unsigned lookupBits, TRootBits rootWidth,
                          std::vector<typename TFormat::TEntry>& entries, unsigned& rootBits)
{
    try {
        return Build<TFormat>(set, lookupBits, rootWidth, entries, rootBits);
    } catch (const std::bad_alloc&) {
        entries.clear();
        rootBits = 0;
        ZipUI().MessageBox("*** inflate out of memory ***", "Error", TMsgButtons::Ok);
        return THuffmanResult::OutOfMemory;
    }
}

} // namespace

THuffmanResult BuildHuffmanTable(std::span<const std::uint8_t> lengths, unsigned simpleCount,
                                 std::span<const std::uint16_t> base, std::span<const std::uint8_t> extraBits,
                                 unsigned lookupBits, THuffmanTable& table)
{
    return BuildTable<THuffmanFormat>({lengths, simpleCount, base, extraBits}, lookupBits, TRootBits::Fitted,
                                      table.entries_, table.lookupBits_);
}

THuffmanResult BuildInflateTable(std::span<const std::uint8_t> lengths, unsigned simpleCount,
                                 std::span<const std::uint16_t> base, std::span<const std::uint8_t> extraBits,
                                 unsigned lookupBits, TInflateTable& table, TRootBits rootWidth)
{
    const TCodeSet set{lengths, simpleCount, base, extraBits};
    const THuffmanResult result =
        BuildTable<TInflateFormat>(set, lookupBits, rootWidth, table.entries_, table.lookupBits_);
    if (const unsigned shortest = ShortestLiteralCode(set); !table.entries_.empty() && 2 * shortest <= table.lookupBits_)
        PairRootLiterals(table.entries_, table.lookupBits_, shortest);
    return result;
}
