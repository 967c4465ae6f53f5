#include "inflate/HuffmanTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "BitWriter.h"
#include "SampleData.h"

namespace {

using TLengths = std::vector<std::uint8_t>;

THuffmanResult Build(const TLengths& lengths, unsigned lookupBits, THuffmanTable& table)
{
    return BuildHuffmanTable(lengths, static_cast<unsigned>(lengths.size()), {}, {}, lookupBits, table);
}

unsigned Reverse(unsigned code, unsigned length)
{
    unsigned reversed = 0;
    for (unsigned i = 0; i < length; ++i)
        reversed |= ((code >> i) & 1) << (length - 1 - i);
    return reversed;
}

// Looks up the stream bits (next bit lowest) as a decoder does: the entry
// and the bits it takes in all.
std::pair<THuffmanEntry, unsigned> Lookup(const THuffmanTable& table, unsigned bits)
{
    const unsigned root = table.LookupBits();
    THuffmanEntry entry = table.Entries()[bits & ((1u << root) - 1)];
    unsigned used = 0;
    if (entry.e > HuffmanLiteral && entry.e != HuffmanInvalid) {
        used = entry.b;
        const unsigned subBits = entry.e - HuffmanLiteral;
        const std::size_t index = entry.v + ((bits >> used) & ((1u << subBits) - 1));
        EXPECT_LT(index, table.Size());
        entry = table.Entries()[index];
    }
    return {entry, used + entry.b};
}

// A random code for about the given number of symbols (fewer where
// maxLength allows no more), complete or with some leaves left out, in random
// symbol order among a few unused symbols.
TLengths RandomLengths(TSampleRandom& random, unsigned symbols, unsigned maxLength, bool complete)
{
    const unsigned dropped = complete ? 0 : maxLength == 1 ? 1 : 1 + random.Below(2);
    symbols = std::clamp(symbols, complete ? 2u : 1u, (1u << maxLength) - dropped);
    // Split random leaves of a one-leaf tree until there are enough.
    std::vector<unsigned> leaves{0};
    while (leaves.size() < symbols + dropped) {
        const std::size_t pick = random.Below(static_cast<std::uint32_t>(leaves.size()));
        if (leaves[pick] < maxLength)
            leaves.push_back(++leaves[pick]);
    }
    leaves.resize(symbols);
    TLengths lengths(symbols + 5, 0);
    std::copy(leaves.begin(), leaves.end(), lengths.begin());
    for (std::size_t i = lengths.size() - 1; i > 0; --i)
        std::swap(lengths[i], lengths[random.Below(static_cast<std::uint32_t>(i + 1))]);
    return lengths;
}

TEST(HuffmanTable, ResultsOfDegenerateCodeSets)
{
    struct TCase {
        const char* name;
        TLengths lengths;
        THuffmanResult result;
        bool empty;
    };
    const TCase cases[] = {
        {"no codes", {0, 0, 0}, THuffmanResult::Ok, true},
        {"single 1-bit code", {0, 1, 0}, THuffmanResult::Ok, false},
        {"two 1-bit codes", {1, 1}, THuffmanResult::Ok, false},
        {"three 1-bit codes", {1, 1, 1}, THuffmanResult::OverSubscribed, true},
        {"1 and 2 bits", {1, 2}, THuffmanResult::Incomplete, false},
        {"single 2-bit code", {2}, THuffmanResult::Incomplete, false},
        {"four 2-bit codes", {2, 2, 2, 2}, THuffmanResult::Ok, false},
        {"over-subscribed at the longest length", {1, 2, 3, 3, 3}, THuffmanResult::OverSubscribed, true},
        {"16-bit codes", TLengths{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 16}, THuffmanResult::Ok,
         false},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.name);
        THuffmanTable table;
        EXPECT_EQ(Build(test.lengths, 9, table), test.result);
        EXPECT_EQ(table.Empty(), test.empty);
    }
}

TEST(HuffmanTable, EveryCodeDecodesToItsSymbolAndNothingElseDecodes)
{
    TSampleRandom random(11);
    for (const unsigned maxLength : {1u, 4u, 9u, 15u, 16u})
        for (const unsigned lookupBits : {1u, 5u, 9u, 11u})
            for (const bool complete : {true, false})
                for (int round = 0; round < 5; ++round) {
                    const unsigned symbols = 1 + random.Below(283);
                    SCOPED_TRACE("max " + std::to_string(maxLength) + " lookup " + std::to_string(lookupBits) +
                                 (complete ? " complete" : " incomplete") + " symbols " + std::to_string(symbols));
                    const TLengths lengths = RandomLengths(random, symbols, maxLength, complete);
                    unsigned longest = 0;
                    for (const auto length : lengths)
                        longest = std::max<unsigned>(longest, length);
                    THuffmanTable table;
                    const THuffmanResult result = Build(lengths, lookupBits, table);
                    EXPECT_EQ(result, complete || longest <= 1 ? THuffmanResult::Ok : THuffmanResult::Incomplete);
                    ASSERT_FALSE(table.Empty());

                    // Each code, followed by any bits, finds its symbol.
                    const auto codes = CanonicalCodes(lengths);
                    std::vector<bool> reached(std::size_t{1} << longest);
                    for (unsigned symbol = 0; symbol < lengths.size(); ++symbol) {
                        if (lengths[symbol] == 0)
                            continue;
                        const unsigned bits = Reverse(codes[symbol], lengths[symbol]);
                        for (unsigned tail = 0; tail < 4; ++tail) {
                            const auto [entry, used] = Lookup(table, bits | (tail << lengths[symbol]));
                            ASSERT_EQ(entry.e, symbol < 256 ? HuffmanLiteral : HuffmanEndOfBlock);
                            ASSERT_EQ(entry.v, symbol);
                            ASSERT_EQ(used, lengths[symbol]);
                        }
                        for (unsigned high = 0; high < (1u << (longest - lengths[symbol])); ++high)
                            reached[bits | (high << lengths[symbol])] = true;
                    }
                    // Every other bit string is an invalid code.
                    for (unsigned bits = 0; bits < reached.size(); ++bits) {
                        if (!reached[bits]) {
                            ASSERT_EQ(Lookup(table, bits).first.e, HuffmanInvalid) << bits;
                        }
                    }
                }
}

TEST(HuffmanTable, SymbolsPastTheSimpleOnesTakeBaseValues)
{
    // Symbols 0 and 1 simple, 2 and 3 with base values, 4 past the table.
    const TLengths lengths{3, 3, 3, 3, 3, 3, 3, 3};
    const std::uint16_t base[] = {100, 200};
    const std::uint8_t extra[] = {4, 0};
    THuffmanTable table;
    ASSERT_EQ(BuildHuffmanTable(lengths, 2, base, extra, 3, table), THuffmanResult::Ok);
    const auto codes = CanonicalCodes(lengths);
    const auto at = [&](unsigned symbol) { return Lookup(table, Reverse(codes[symbol], 3)).first; };
    EXPECT_EQ(at(0).e, HuffmanLiteral);
    EXPECT_EQ(at(1).v, 1);
    EXPECT_EQ(at(2).v, 100);
    EXPECT_EQ(at(2).e, 4);
    EXPECT_EQ(at(3).v, 200);
    EXPECT_EQ(at(3).e, 0);
    EXPECT_EQ(at(4).e, HuffmanInvalid);

    // With 257 simple symbols, 256 is the end of block.
    TLengths literal(258, 0);
    literal[65] = literal[256] = literal[257] = 2;
    literal[66] = 2;
    ASSERT_EQ(BuildHuffmanTable(literal, 257, base, extra, 9, table), THuffmanResult::Ok);
    const auto literalCodes = CanonicalCodes(literal);
    EXPECT_EQ(Lookup(table, Reverse(literalCodes[256], 2)).first.e, HuffmanEndOfBlock);
    EXPECT_EQ(Lookup(table, Reverse(literalCodes[257], 2)).first.v, 100);
}

TEST(HuffmanTable, ReusedTableForgetsItsEarlierCode)
{
    THuffmanTable table;
    TSampleRandom random(5);
    ASSERT_EQ(Build(RandomLengths(random, 200, 15, true), 9, table), THuffmanResult::Ok);
    ASSERT_EQ(Build({1, 2}, 9, table), THuffmanResult::Incomplete);
    EXPECT_EQ(table.LookupBits(), 2u);
    EXPECT_EQ(table.Size(), 4u);
    EXPECT_EQ(Lookup(table, 0b11).first.e, HuffmanInvalid);
    EXPECT_EQ(Lookup(table, 0b01).first.v, 1);
}

// Inflate's packed entries: 'a' 0, 'b' 10, end of block 11 (first bit
// first); a root index is the stream bits, first bit lowest.
TEST(InflateTable, RootLiteralsThatFitTogetherDecodeAsAPair)
{
    TLengths lengths(257, 0);
    lengths['a'] = 1;
    lengths['b'] = lengths[256] = 2;
    TInflateTable table;
    ASSERT_EQ(BuildInflateTable(lengths, 257, {}, {}, 9, table), THuffmanResult::Ok);
    ASSERT_EQ(table.LookupBits(), 2u);
    const struct {
        unsigned index;
        TInflateEntry entry;
    } cases[] = {
        {0b00, InflateLiteralFlag | ('a' | 'a' << 8) << 16 | 2 << 8 | 2}, // "aa"
        {0b10, InflateLiteralFlag | 'a' << 16 | 1 << 8 | 1},              // 'b' does not fit after 'a'
        {0b01, InflateLiteralFlag | 'b' << 16 | 1 << 8 | 2},
        {0b11, InflateEndOfBlockFlag | 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(table.Entries()[c.index], c.entry);
    }
}

// Every root index holds the literal its bits start with, and the literal
// after it too where that code fits in the rest of the root bits.
TEST(InflateTable, EveryRootIndexPairsTheLiteralsItsBitsStartWith)
{
    constexpr unsigned RootBits = 11;
    TSampleRandom random(3);
    for (const unsigned maxLength : {6u, 9u, 15u})
        for (int round = 0; round < 20; ++round) {
            const unsigned symbols = 2 + random.Below(120);
            SCOPED_TRACE("max " + std::to_string(maxLength) + " symbols " + std::to_string(symbols));
            const TLengths lengths = RandomLengths(random, symbols, maxLength, true);
            TInflateTable table;
            ASSERT_EQ(BuildInflateTable(lengths, 257, {}, {}, RootBits, table, TRootBits::Exact),
                      THuffmanResult::Ok);
            ASSERT_EQ(table.LookupBits(), RootBits);

            // The literal whose code the low bits of an index are, if any.
            const auto codes = CanonicalCodes(lengths);
            std::vector<int> literalAt(std::size_t{1} << RootBits, -1);
            for (unsigned symbol = 0; symbol < lengths.size(); ++symbol) {
                const unsigned length = lengths[symbol];
                if (length == 0 || length > RootBits)
                    continue;
                for (unsigned high = 0; high < (1u << (RootBits - length)); ++high)
                    literalAt[Reverse(codes[symbol], length) | high << length] = static_cast<int>(symbol);
            }
            for (unsigned index = 0; index < literalAt.size(); ++index) {
                if (literalAt[index] < 0)
                    continue;
                const auto first = static_cast<unsigned>(literalAt[index]);
                const unsigned firstBits = lengths[first];
                const int after = literalAt[index >> firstBits];
                TInflateEntry expected = InflateLiteralFlag | first << 16 | 1u << 8 | firstBits;
                if (after >= 0 && firstBits + lengths[after] <= RootBits)
                    expected = InflateLiteralFlag | (first | static_cast<unsigned>(after) << 8) << 16 | 2u << 8 |
                               (firstBits + lengths[after]);
                ASSERT_EQ(table.Entries()[index], expected) << index;
            }
        }
}

// An exact root covers the bits asked for even where every code is shorter,
// so that the decoder masks the distance bits with a constant.
TEST(InflateTable, ExactRootWiderThanTheLongestCodeRepeatsEveryCode)
{
    const TLengths lengths{1, 2, 0, 2};
    const std::uint16_t base[] = {1, 2, 3, 4};
    const std::uint8_t extra[] = {0, 1, 2, 3};
    TInflateTable narrow;
    ASSERT_EQ(BuildInflateTable(lengths, 0, base, extra, 2, narrow), THuffmanResult::Ok);
    ASSERT_EQ(narrow.Size(), 4u);
    TInflateTable wide;
    ASSERT_EQ(BuildInflateTable(lengths, 0, base, extra, 8, wide, TRootBits::Exact), THuffmanResult::Ok);
    ASSERT_EQ(wide.LookupBits(), 8u);
    ASSERT_EQ(wide.Size(), 256u);
    for (unsigned index = 0; index < 256; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(wide.Entries()[index], narrow.Entries()[index & 3]);
    }
    // A single 1-bit code, complete by convention: the other half is invalid.
    ASSERT_EQ(BuildInflateTable(TLengths{1}, 0, base, extra, 8, wide, TRootBits::Exact), THuffmanResult::Ok);
    ASSERT_EQ(wide.Size(), 256u);
    for (unsigned index = 0; index < 256; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(wide.Entries()[index], index % 2 == 0 ? (1u << 16 | 1u << 8 | 1u) : InflateInvalidFlag);
    }
}

TEST(InflateTable, BaseValuesCarryTheirCodeAndExtraBits)
{
    // Symbols 0 and 1 literals, 2 and 3 with base values, 4 past the table.
    const TLengths lengths{3, 3, 3, 3, 3, 3, 3, 3};
    const std::uint16_t base[] = {100, 200};
    const std::uint8_t extra[] = {4, 0};
    TInflateTable table;
    ASSERT_EQ(BuildInflateTable(lengths, 2, base, extra, 3, table), THuffmanResult::Ok);
    const auto codes = CanonicalCodes(lengths);
    const auto at = [&](unsigned symbol) { return table.Entries()[Reverse(codes[symbol], 3)]; };
    EXPECT_EQ(at(2), 100u << 16 | 3 << 8 | 7);
    EXPECT_EQ(at(3), 200u << 16 | 3 << 8 | 3);
    EXPECT_EQ(at(4), InflateInvalidFlag);
}

} // namespace
