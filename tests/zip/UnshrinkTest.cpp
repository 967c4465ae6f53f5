// Unshrink on hand-made code streams: strings, the not-yet-defined code,
// the control codes, and damaged streams that must end as bad data.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "BitWriter.h"
#include "inflate/UnzipIO.h"
#include "legacy/Unshrink.h"

namespace {

struct TShrinkCase {
    const char* name;
    std::vector<std::pair<unsigned, unsigned>> codes; // code, width
    TLegacyStatus status;
    std::string output;
};

std::vector<std::pair<unsigned, unsigned>> NineBit(std::initializer_list<unsigned> codes)
{
    std::vector<std::pair<unsigned, unsigned>> widths;
    for (const unsigned code : codes)
        widths.emplace_back(code, 9);
    return widths;
}

const TShrinkCase ShrinkCases[] = {
    {"an empty stream", {}, TLegacyStatus::Ok, ""},
    {"byte codes", NineBit({'a', 'b', 'c'}), TLegacyStatus::Ok, "abc"},
    {"a defined code", NineBit({'a', 'b', 257}), TLegacyStatus::Ok, "abab"},
    {"the code about to be defined", NineBit({'a', 257}), TLegacyStatus::Ok, "aaa"},
    {"256 1 widens the codes", {{'a', 9}, {256, 9}, {1, 9}, {'b', 10}, {257, 10}}, TLegacyStatus::Ok, "abab"},
    {"256 2 frees the leaf codes", NineBit({'a', 'b', 'c', 256, 2, 'd', 257}), TLegacyStatus::Ok, "abcdcd"},
    {"256 and another value is ignored", NineBit({'a', 256, 7, 'b'}), TLegacyStatus::Ok, "ab"},
    {"a control code cut off", NineBit({'a', 256}), TLegacyStatus::Ok, "a"},
    {"widening past 13 bits",
     {{'a', 9}, {256, 9}, {1, 9}, {256, 10}, {1, 10}, {256, 11}, {1, 11}, {256, 12}, {1, 12}, {256, 13}, {1, 13}},
     TLegacyStatus::BadData, "a"},
    {"a first code that is not a byte", NineBit({300}), TLegacyStatus::BadData, ""},
    // After the clear frees 257 and 258, 257 is defined again with the
    // freed previous code 257 as its parent: a cycle.
    {"a code that is its own parent", NineBit({'a', 'b', 257, 256, 2, 'x', 257}), TLegacyStatus::BadData, "abab"},
};

TEST(Unshrink, DecodesHandMadeStreams)
{
    for (const TShrinkCase& c : ShrinkCases) {
        SCOPED_TRACE(c.name);
        TBitWriter writer;
        for (const auto& [code, width] : c.codes)
            writer.Put(code, width);
        const std::vector<std::uint8_t> input = writer.Bytes();
        std::vector<std::uint8_t> output;
        TMemoryUnzipSource source(input);
        TMemoryUnzipSink sink(output);
        TUnzipIO io(source, sink);
        const TLegacyStatus status = Unshrink(io);
        EXPECT_EQ(status, c.status);
        if (status == TLegacyStatus::Ok) {
            EXPECT_EQ(std::string(output.begin(), output.end()), c.output);
        }
    }
}

} // namespace
