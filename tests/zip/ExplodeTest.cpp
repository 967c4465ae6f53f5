// Explode on hand-made streams: both dictionary sizes, with and without a
// literal tree, the long length code, references before the entry's start,
// the entry's size as the end, and damaged trees and streams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BitWriter.h"
#include "inflate/UnzipIO.h"
#include "legacy/Explode.h"

namespace {

// A tree of count codes all of the given bit length, as runs of at most 16.
void PutEvenTree(TBitWriter& writer, unsigned count, unsigned length)
{
    const unsigned runs = (count + 15) / 16;
    writer.PutByte(static_cast<std::uint8_t>(runs - 1));
    for (unsigned left = count; left > 0; left -= std::min(left, 16u))
        writer.PutByte(static_cast<std::uint8_t>(((std::min(left, 16u) - 1) << 4) | (length - 1)));
}

// A code of a tree of equal lengths: the canonical code, every bit inverted.
void PutEvenCode(TBitWriter& writer, unsigned symbol, unsigned length)
{
    writer.PutCode(~symbol & ((1u << length) - 1), length);
}

// Streams whose trees give every literal 8 bits and every length and
// distance code 6 bits.
class TImplodeWriter {
public:
    explicit TImplodeWriter(const TImplodeOptions& options) : options_(options)
    {
        if (options.literalTree)
            PutEvenTree(writer, 256, 8);
        PutEvenTree(writer, 64, 6);
        PutEvenTree(writer, 64, 6);
    }

    TImplodeWriter& Literal(unsigned byte)
    {
        writer.Put(1, 1);
        if (options_.literalTree)
            PutEvenCode(writer, byte, 8);
        else
            writer.PutByte(static_cast<std::uint8_t>(byte));
        return *this;
    }

    TImplodeWriter& Match(unsigned distance, unsigned length)
    {
        const unsigned lowBits = options_.eightKDictionary ? 7 : 6;
        writer.Put(0, 1);
        writer.Put((distance - 1) & ((1u << lowBits) - 1), lowBits);
        PutEvenCode(writer, (distance - 1) >> lowBits, 6);
        const unsigned code = length - (options_.literalTree ? 3 : 2);
        PutEvenCode(writer, std::min(code, 63u), 6);
        if (code >= 63)
            writer.PutByte(static_cast<std::uint8_t>(code - 63));
        return *this;
    }

    TBitWriter writer;

private:
    TImplodeOptions options_;
};

TImplodeOptions Options(bool eightK, bool literalTree, std::uint64_t size)
{
    TImplodeOptions options;
    options.eightKDictionary = eightK;
    options.literalTree = literalTree;
    options.uncompressedSize = size;
    return options;
}

struct TExplodeCase {
    const char* name;
    TImplodeOptions options;
    std::vector<std::uint8_t> input;
    TLegacyStatus status;
    std::string output;
};

std::vector<TExplodeCase> ExplodeCases()
{
    std::vector<TExplodeCase> cases;
    const auto add = [&](const char* name, const TImplodeOptions& options, auto&& write, TLegacyStatus status,
                         const std::string& output) {
        TImplodeWriter writer(options);
        write(writer);
        cases.push_back({name, options, writer.writer.Bytes(), status, output});
    };
    for (const bool eightK : {false, true})
        for (const bool literalTree : {false, true}) {
            add("literals and a match", Options(eightK, literalTree, 6),
                [](TImplodeWriter& w) { w.Literal('a').Literal('b').Match(2, 4); }, TLegacyStatus::Ok, "ababab");
            add("the long length code", Options(eightK, literalTree, 301),
                [](TImplodeWriter& w) { w.Literal('a').Match(1, 300); }, TLegacyStatus::Ok, std::string(301, 'a'));
            add("a match from the dictionary's far end", Options(eightK, literalTree, 4099),
                [](TImplodeWriter& w) {
                    w.Literal('a').Literal('b');
                    for (int i = 0; i < 13; ++i)
                        w.Match(1, 300);
                    w.Match(1, 194).Match(4096, 3);
                },
                TLegacyStatus::Ok, "a" + std::string(4095, 'b') + "abb");
            add("a reference before the start gives zeros", Options(eightK, literalTree, 4),
                [](TImplodeWriter& w) { w.Match(3, 4); }, TLegacyStatus::Ok, std::string(4, '\0'));
            add("the entry's size ends it mid-data", Options(eightK, literalTree, 2),
                [](TImplodeWriter& w) { w.Literal('a').Literal('b').Literal('c'); }, TLegacyStatus::Ok, "ab");
            add("a match is cut at the entry's size", Options(eightK, literalTree, 3),
                [](TImplodeWriter& w) { w.Literal('a').Match(1, 10); }, TLegacyStatus::Ok, "aaa");
            add("data that end before the entry", Options(eightK, literalTree, 100),
                [](TImplodeWriter& w) { w.Literal('a'); }, TLegacyStatus::Truncated, "");
        }
    return cases;
}

TEST(Explode, DecodesHandMadeStreams)
{
    for (const TExplodeCase& c : ExplodeCases()) {
        SCOPED_TRACE(std::string(c.name) + (c.options.eightKDictionary ? ", 8K" : ", 4K") +
                     (c.options.literalTree ? ", literal tree" : ""));
        std::vector<std::uint8_t> output;
        TMemoryUnzipSource source(c.input);
        TMemoryUnzipSink sink(output);
        TUnzipIO io(source, sink);
        const TLegacyStatus status = Explode(io, c.options);
        EXPECT_EQ(status, c.status);
        if (status == TLegacyStatus::Ok) {
            EXPECT_EQ(std::string(output.begin(), output.end()), c.output);
        }
    }
}

// Trees whose bit lengths do not give exactly their number of codes, or
// give an incomplete or over-full code, end the entry before any output.
TEST(Explode, RefusesBadTrees)
{
    const struct {
        const char* name;
        std::vector<std::uint8_t> trees;
    } cases[] = {
        {"more lengths than codes", {4, 0xF5, 0xF5, 0xF5, 0xF5, 0xF5}},
        {"fewer lengths than codes", {2, 0xF5, 0xF5, 0xF5}},
        {"an incomplete code", {3, 0xF6, 0xF6, 0xF6, 0xF6}},
        {"an over-full code", {3, 0xF4, 0xF4, 0xF4, 0xF4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> input = c.trees;
        input.insert(input.end(), {3, 0xF5, 0xF5, 0xF5, 0xF5, 0xFF, 0xFF, 0xFF, 0xFF});
        std::vector<std::uint8_t> output;
        TMemoryUnzipSource source(input);
        TMemoryUnzipSink sink(output);
        TUnzipIO io(source, sink);
        EXPECT_EQ(Explode(io, Options(false, false, 10)), TLegacyStatus::BadData);
        EXPECT_TRUE(output.empty());
    }
}

} // namespace
