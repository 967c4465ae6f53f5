#include "inflate/UnzipIO.h"

#include <gtest/gtest.h>

#include "RecordingSink.h"
#include "SampleData.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

TEST(UnzipIO, ReadInputByteDeliversEveryByteThenZero)
{
    const TBytes data = MakeSample(TSampleKind::Noise, 70000);
    TMemoryUnzipSource source(data);
    TRecordingSink sink;
    TUnzipIO io(source, sink);
    std::uint16_t value = 0;
    for (const std::uint8_t expected : data) {
        ASSERT_EQ(io.ReadInputByte(value), 8);
        ASSERT_EQ(value, expected);
    }
    value = 0x1234;
    EXPECT_EQ(io.ReadInputByte(value), 0);
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(io.ReadInputByte(value), 0);
}

TEST(UnzipIO, ReadBitsTakesLowBitsFirstAndReadsZerosPastTheEnd)
{
    const TBytes data{0xB5, 0x6C, 0xFF};
    TMemoryUnzipSource source(data);
    TRecordingSink sink;
    TUnzipIO io(source, sink);
    EXPECT_EQ(io.ReadBits(3), 0b101);
    EXPECT_EQ(io.ReadBits(9), 0b1100'10110); // low 4 bits of 0x6C above the top 5 of 0xB5
    EXPECT_FALSE(io.EndOfInput());
    EXPECT_EQ(io.ReadBits(12), 0xFF6);
    // Past the end: the top-up gets nothing, and the bit count does not wrap
    // round into bits that were never read.
    EXPECT_EQ(io.ReadBits(9), 0);
    EXPECT_TRUE(io.EndOfInput());
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(io.ReadBits(16), 0);
    EXPECT_TRUE(io.EndOfInput());
}

TEST(UnzipIO, ReadBitsPastTheEndKeepsTheLastBitsHeld)
{
    const TBytes data{0xFF};
    TMemoryUnzipSource source(data);
    TRecordingSink sink;
    TUnzipIO io(source, sink);
    EXPECT_EQ(io.ReadBits(4), 0xF);
    EXPECT_EQ(io.ReadBits(9), 0xF); // four bits held, then zeros
    EXPECT_TRUE(io.EndOfInput());
}

TEST(UnzipIO, OutputGoesOutInWholeBlocks)
{
    const TBytes data = MakeSample(TSampleKind::Text, 100000);
    TMemoryUnzipSource source({});
    TRecordingSink sink;
    TUnzipIO io(source, sink);
    for (std::size_t i = 0; i < 40000; ++i)
        io.PutOutputByte(data[i]);
    EXPECT_EQ(sink.blocks, (std::vector<std::size_t>{32768}));
    io.WriteOutput(data.data() + 40000, 60000);
    io.FlushOutput();
    io.FlushOutput();
    EXPECT_EQ(sink.blocks, (std::vector<std::size_t>{32768, 32768, 32768, 1696}));
    EXPECT_TRUE(sink.bytes == data);
}

TEST(UnzipIO, UnStoreCopiesTheCompressedBytesBlockByBlock)
{
    for (const std::size_t size : {0, 1, 32768, 100000}) {
        SCOPED_TRACE(size);
        const TBytes data = MakeSample(TSampleKind::Noise, size);
        TMemoryUnzipSource source(data);
        TRecordingSink sink;
        TUnzipIO io(source, sink);
        io.UnStore();
        EXPECT_TRUE(sink.bytes == data);
        for (const std::size_t block : sink.blocks)
            EXPECT_TRUE(block > 0 && block <= UnzipBlockSize);
        EXPECT_EQ(sink.blocks.size(), (size + UnzipBlockSize - 1) / UnzipBlockSize);
    }
}

TEST(UnzipIO, MemoryInputIsLentInPlaceAsOneBlock)
{
    const TBytes data = MakeSample(TSampleKind::Noise, 100000);
    TMemoryUnzipSource source(data);
    TRecordingSink sink;
    TUnzipIO io(source, sink);
    ASSERT_TRUE(io.RefillInput());
    EXPECT_EQ(io.InputNext(), data.data());
    EXPECT_EQ(io.InputEnd(), data.data() + data.size());
    io.SetInputNext(io.InputEnd());
    EXPECT_FALSE(io.RefillInput());
    EXPECT_EQ(io.InputNext(), io.InputEnd());
}

} // namespace
