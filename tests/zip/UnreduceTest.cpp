// Unreduce on hand-made streams: follower sets, the DLE sequences of every
// factor, references before the entry's start, the entry's size as the end,
// and damaged streams.
#include <gtest/gtest.h>

#include <bit>
#include <map>
#include <string>
#include <vector>

#include "BitWriter.h"
#include "inflate/UnzipIO.h"
#include "legacy/Unreduce.h"

namespace {

constexpr unsigned Dle = 144;

// The follower sets (byte value to its followers), then bytes as plain 8
// bits where the previous byte's set is empty; an entry with index set
// instead sends that follower index.
struct TReduceItem {
    unsigned byte = 0;
    int index = -1;
};

std::vector<std::uint8_t> Reduced(const std::map<unsigned, std::string>& sets, const std::vector<TReduceItem>& items)
{
    TBitWriter writer;
    for (int x = 255; x >= 0; --x) {
        const auto set = sets.find(static_cast<unsigned>(x));
        const std::string followers = set == sets.end() ? "" : set->second;
        writer.Put(static_cast<std::uint32_t>(followers.size()), 6);
        for (const char follower : followers)
            writer.PutByte(static_cast<std::uint8_t>(follower));
    }
    unsigned previous = 0;
    for (const TReduceItem& item : items) {
        const auto set = sets.find(previous);
        if (set != sets.end()) {
            const unsigned bits =
                set->second.size() <= 2 ? 1 : static_cast<unsigned>(std::bit_width(set->second.size() - 1));
            if (item.index >= 0) {
                writer.Put(0, 1);
                writer.Put(static_cast<std::uint32_t>(item.index), bits);
                previous = item.index < static_cast<int>(set->second.size())
                               ? static_cast<std::uint8_t>(set->second[static_cast<std::size_t>(item.index)])
                               : 0;
                continue;
            }
            writer.Put(1, 1);
        }
        writer.PutByte(static_cast<std::uint8_t>(item.byte));
        previous = item.byte;
    }
    return writer.Bytes();
}

std::vector<TReduceItem> Plain(std::initializer_list<unsigned> bytes)
{
    std::vector<TReduceItem> items;
    for (const unsigned byte : bytes)
        items.push_back({byte});
    return items;
}

struct TReduceCase {
    const char* name;
    unsigned factor;
    std::map<unsigned, std::string> sets;
    std::vector<TReduceItem> items;
    std::uint64_t size;
    TLegacyStatus status;
    std::string output;
};

const std::vector<TReduceCase>& ReduceCases()
{
    static const std::vector<TReduceCase> cases = {
        {"plain bytes", 1, {}, Plain({'a', 'b', 'c'}), 3, TLegacyStatus::Ok, "abc"},
        {"DLE 0 is one DLE byte", 2, {}, Plain({Dle, 0}), 1, TLegacyStatus::Ok, "\x90"},
        // Factor 1: length = V & 127, distance = (V >> 7 & 1) * 256 + D + 1.
        {"a copy, factor 1", 1, {}, Plain({'a', 'b', Dle, 1, 1}), 6, TLegacyStatus::Ok, "ababab"},
        {"a far reference before the start, factor 1", 1, {}, Plain({'a', Dle, 0x80 | 1, 255}), 5, TLegacyStatus::Ok,
         std::string("a\0\0\0\0", 5)},
        // Factor 4: length = V & 15, and 15 takes one more byte.
        {"an extra length byte, factor 4", 4, {}, Plain({'a', Dle, 15, 2, 0}), 21, TLegacyStatus::Ok,
         std::string(21, 'a')},
        // Factor 3: 290 x, a y, then 3 bytes from 256 + 34 + 1 back.
        {"a distance from V's high bits, factor 3", 3, {}, Plain({'x', Dle, 31, 255, 0, 'y', Dle, 1 << 5, 34}), 294,
         TLegacyStatus::Ok, std::string(290, 'x') + "y" + "xxx"},
        {"a reference before the start gives zeros", 1, {}, Plain({Dle, 1, 4}), 4, TLegacyStatus::Ok,
         std::string(4, '\0')},
        {"the entry's size ends it mid-data", 1, {}, Plain({'a', 'b', 'c', 'd'}), 2, TLegacyStatus::Ok, "ab"},
        {"a copy is cut at the entry's size", 1, {}, Plain({'a', Dle, 1, 0}), 3, TLegacyStatus::Ok, "aaa"},
        {"follower indexes", 1, {{0, "a"}, {'a', "bcd"}}, {{0, 0}, {0, 2}}, 2, TLegacyStatus::Ok, "ad"},
        {"a follower index past its set", 1, {{'a', "bcd"}}, {{'a'}, {0, 3}}, 2, TLegacyStatus::BadData, ""},
        {"data that end before the entry", 1, {}, Plain({'a', 'b', 'c'}), 10, TLegacyStatus::Truncated, ""},
        {"no data at all", 1, {}, {}, 0, TLegacyStatus::Ok, ""},
    };
    return cases;
}

TEST(Unreduce, DecodesHandMadeStreams)
{
    for (const TReduceCase& c : ReduceCases()) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> input =
            c.items.empty() && c.sets.empty() ? std::vector<std::uint8_t>{} : Reduced(c.sets, c.items);
        std::vector<std::uint8_t> output;
        TMemoryUnzipSource source(input);
        TMemoryUnzipSink sink(output);
        TUnzipIO io(source, sink);
        const TLegacyStatus status = Unreduce(io, c.factor, c.size);
        EXPECT_EQ(status, c.status);
        if (status == TLegacyStatus::Ok) {
            EXPECT_EQ(std::string(output.begin(), output.end()), c.output);
        }
    }
}

} // namespace
