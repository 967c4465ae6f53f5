#include "directory/ReadAheadStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "Exceptions.h"
#include "Stream.h"

namespace {

// A memory stream that counts the reads and the seeks that move it.
class TCountingStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;

    std::int64_t Read(void* buffer, std::int64_t count) override
    {
        ++reads;
        return TMemoryStream::Read(buffer, count);
    }
    std::int64_t Seek(std::int64_t offset, int origin) override
    {
        const std::int64_t before = TMemoryStream::Seek(0, soFromCurrent);
        const std::int64_t after = TMemoryStream::Seek(offset, origin);
        if (after != before)
            ++moves;
        return after;
    }

    int reads = 0;
    int moves = 0;
};

std::vector<std::uint8_t> RandomBytes(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    std::mt19937 generator(5);
    for (auto& b : bytes)
        b = std::uint8_t(generator());
    return bytes;
}

} // namespace

TEST(ReadAheadStream, ReadsAndSeeksAsTheStreamBeneath)
{
    const std::vector<std::uint8_t> bytes = RandomBytes(3 * TReadAheadStream::ChunkSize + 123);
    const std::int64_t size = static_cast<std::int64_t>(bytes.size());
    struct Step {
        const char* name;
        std::int64_t offset;
        int origin;
        std::int64_t count;
    };
    const Step steps[] = {
        {"from the start", 0, soFromBeginning, 46},
        {"over an extra field", 9, soFromCurrent, 46},
        {"back within the chunk", -20, soFromCurrent, 10},
        {"across a chunk's end", TReadAheadStream::ChunkSize - 5, soFromBeginning, 10},
        {"back before the chunk", 100, soFromBeginning, 30},
        {"a read larger than a chunk", 7, soFromBeginning, 2 * TReadAheadStream::ChunkSize + 1},
        {"the last bytes", -10, soFromEnd, 20},
        {"past the end", size + 5, soFromBeginning, 4},
    };
    TMemoryStream inner(bytes);
    TReadAheadStream ahead(inner);
    TMemoryStream reference(bytes);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(ahead.Seek(s.offset, s.origin), reference.Seek(s.offset, s.origin));
        std::vector<std::uint8_t> got(static_cast<std::size_t>(s.count));
        std::vector<std::uint8_t> expected(static_cast<std::size_t>(s.count));
        EXPECT_EQ(ahead.Read(got.data(), s.count), reference.Read(expected.data(), s.count));
        EXPECT_EQ(got, expected);
        EXPECT_EQ(ahead.Position(), reference.Position());
    }
    EXPECT_EQ(ahead.Size(), size);
    EXPECT_THROW(ahead.Seek(-1, soFromBeginning), EStreamError);
    EXPECT_EQ(ahead.Write(bytes.data(), 1), 0);
}

TEST(ReadAheadStream, SmallStepsReadTheStreamBeneathOnceInChunksWithoutMovingIt)
{
    const std::vector<std::uint8_t> bytes = RandomBytes(2 * TReadAheadStream::ChunkSize);
    TCountingStream inner(bytes);
    TReadAheadStream ahead(inner);
    inner.reads = inner.moves = 0;
    std::uint8_t header[46];
    while (ahead.Read(header, sizeof header) == sizeof header)
        ahead.Seek(13, soFromCurrent);
    // The two chunks, one after the other.
    EXPECT_EQ(inner.reads, 2);
    EXPECT_EQ(inner.moves, 0);
}
