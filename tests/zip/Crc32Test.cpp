#include "crc/Crc32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <zlib.h>

#include "RunCommand.h"
#include "crc/Crc32Folding.h"
#include "SampleData.h"
#include "TempDir.h"

namespace {

std::uint32_t CRC32Of(const std::string& bytes)
{
    return ~UpdateCRC(CRC32Start, bytes.data(), std::int64_t(bytes.size()));
}

std::uint32_t ZlibCRC32(const std::uint8_t* bytes, std::size_t count)
{
    return std::uint32_t(crc32(0, bytes, uInt(count)));
}

} // namespace

TEST(Crc32, KnownAnswers)
{
    const struct {
        std::string input;
        std::uint32_t crc;
    } cases[] = {
        {"", 0x00000000},
        {"a", 0xE8B7BE43},
        {"123456789", 0xCBF43926},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339},
        {std::string(32, '\0'), 0x190A55AD},
        {std::string(32, '\xFF'), 0xFF6CAB0B},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.size());
        EXPECT_EQ(CRC32Of(c.input), c.crc);
    }
}

TEST(Crc32, FirstTableIsTheStandardTable)
{
    EXPECT_EQ(CRC32Tables[0][0], 0x00000000u);
    EXPECT_EQ(CRC32Tables[0][1], 0x77073096u);
    EXPECT_EQ(CRC32Tables[0][128], 0xEDB88320u);
    EXPECT_EQ(CRC32Tables[0][255], 0x2D02EF8Du);
    EXPECT_EQ(~CRC32Step('a', CRC32Start), 0xE8B7BE43u);
}

TEST(Crc32, CountOfZeroOrLessLeavesTheValue)
{
    const char byte = 'x';
    EXPECT_EQ(UpdateCRC(0x12345678, &byte, 0), 0x12345678u);
    EXPECT_EQ(UpdateCRC(0x12345678, &byte, -5), 0x12345678u);
    EXPECT_EQ(UpdateCRC(0x12345678, nullptr, 0), 0x12345678u);
}

// Every length near the 8-byte block edges, at every alignment of the start.
TEST(Crc32, MatchesZlibOverSizesAndAlignments)
{
    const auto data = RandomBytes(70000, 1);
    const std::size_t sizes[] = {0, 1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 63, 64, 65, 255, 256, 4095, 8192, 65537};
    for (const std::size_t size : sizes)
        for (std::size_t offset = 0; offset < 8; ++offset) {
            SCOPED_TRACE(testing::Message() << "size " << size << " offset " << offset);
            const std::uint8_t* start = data.data() + offset;
            EXPECT_EQ(~UpdateCRC(CRC32Start, start, std::int64_t(size)), ZlibCRC32(start, size));
        }
}

TEST(Crc32, PiecewiseUpdatesEqualOneUpdate)
{
    const auto data = RandomBytes(10000, 2);
    const std::uint32_t whole = ~UpdateCRC(CRC32Start, data.data(), std::int64_t(data.size()));
    ASSERT_EQ(whole, ZlibCRC32(data.data(), data.size()));
    const std::size_t pieceSizes[] = {1, 3, 7, 8, 13, 64, 1000, 8192};
    for (const std::size_t piece : pieceSizes) {
        SCOPED_TRACE(piece);
        std::uint32_t crc = CRC32Start;
        for (std::size_t done = 0; done < data.size(); done += piece)
            crc = UpdateCRC(crc, data.data() + done, std::int64_t(std::min(piece, data.size() - done)));
        EXPECT_EQ(~crc, whole);
    }
}

TEST(Crc32, MatchesPythonZlib)
{
    TempDir dir;
    const std::size_t sizes[] = {1, 100, 4097, 100000};
    for (const std::size_t size : sizes) {
        SCOPED_TRACE(size);
        const auto data = RandomBytes(size, unsigned(size));
        const std::string file = dir.Write("data.bin", std::string(data.begin(), data.end()));
        const auto python = RunCommand("python3 -c 'import sys, zlib; print(zlib.crc32(open(sys.argv[1], \"rb\").read()))' "
            + ShellQuote(file));
        ASSERT_EQ(python.ExitCode, 0);
        EXPECT_EQ(std::stoul(python.Output), ~UpdateCRC(CRC32Start, data.data(), std::int64_t(size)));
    }
}

// Folding against the table method: every length up to 300 bytes and some
// large ones, from unaligned starts, carrying on from several running values.
TEST(Crc32, FoldingAgreesWithSlicing)
{
    if (!CRCFoldingAvailable())
        GTEST_SKIP() << "no carry-less multiply on this processor";
    const auto data = RandomBytes(1 << 20, 3);
    std::vector<std::size_t> sizes;
    for (std::size_t size = 0; size <= 300; ++size)
        sizes.push_back(size);
    for (const std::size_t size : {1000, 4095, 4096, 65536 + 127, 1000003})
        sizes.push_back(size);
    const std::uint32_t startValues[] = {CRC32Start, 0, 0x12345678, 0x80000001};
    for (const std::size_t size : sizes)
        for (const std::size_t offset : {0, 1, 7, 15})
            for (const std::uint32_t start : startValues) {
                SCOPED_TRACE(testing::Message() << "size " << size << " offset " << offset << " start " << start);
                const std::uint8_t* bytes = data.data() + offset;
                const auto count = std::int64_t(size);
                EXPECT_EQ(UpdateCRCByFolding(start, bytes, count), UpdateCRCBySlicing(start, bytes, count));
            }
}

TEST(Crc32, FoldingMatchesZlibOnAMegabyte)
{
    if (!CRCFoldingAvailable())
        GTEST_SKIP() << "no carry-less multiply on this processor";
    const auto data = RandomBytes(1 << 20, 4);
    EXPECT_EQ(~UpdateCRCByFolding(CRC32Start, data.data(), std::int64_t(data.size())),
              ZlibCRC32(data.data(), data.size()));
}
