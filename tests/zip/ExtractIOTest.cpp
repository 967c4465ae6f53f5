// The archive side and the output side of extraction on their own: block
// sizes, polling, decryption, the size check and a refusing output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "Stream.h"
#include "ZipExceptions.h"
#include "extract/ExtractIO.h"

namespace {

std::vector<std::uint8_t> Bytes(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return bytes;
}

TEST(ExtractIO, SourceReadsBlocksPollsAndDecryptsEach)
{
    TMemoryStream archive(Bytes(100000));
    archive.SetPosition(10);
    int polls = 0;
    std::vector<std::size_t> decrypted;
    TArchiveSource source(archive, 70000, [&] { ++polls; },
                          [&](std::uint8_t* buffer, std::size_t count) {
                              decrypted.push_back(count);
                              buffer[0] ^= 0xFF;
                          });
    std::vector<std::uint8_t> block(UnzipBlockSize);
    std::vector<std::size_t> sizes;
    for (std::size_t n; (n = source.ReadCompressed(block.data(), block.size())) != 0;)
        sizes.push_back(n);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{32768, 32768, 4464}));
    EXPECT_EQ(decrypted, sizes);
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(archive.Position(), 70010);
}

TEST(ExtractIO, SourceRaisesWhenTheArchiveEndsEarly)
{
    TMemoryStream archive(Bytes(1000));
    TArchiveSource source(archive, 2000, nullptr, nullptr);
    std::vector<std::uint8_t> block(UnzipBlockSize);
    try {
        source.ReadCompressed(block.data(), block.size());
        FAIL();
    } catch (const EFatalUnzipError& error) {
        EXPECT_STREQ(error.what(), "Premature end of file reached");
    }
}

TEST(ExtractIO, SinkChecksTheSizeOfThisEntryOnly)
{
    TMemoryStream output;
    output.WriteBuffer("earlier entry", 13);
    std::vector<std::size_t> written;
    TExtractSink sink(output, 10, [&](std::size_t n) { written.push_back(n); });
    const std::vector<std::uint8_t> bytes = Bytes(11);
    sink.WriteDecompressed(bytes.data(), 6);
    try {
        sink.WriteDecompressed(bytes.data() + 6, 5);
        FAIL();
    } catch (const EBiggerThanUncompressed& error) {
        EXPECT_STREQ(error.what(), "File is larger than uncompressed size!");
    }
    EXPECT_EQ(output.Size(), 19);
    EXPECT_EQ(written, std::vector<std::size_t>{6});
    EXPECT_EQ(sink.BytesWritten(), 6u);
    EXPECT_EQ(sink.CRC(), TestCrc(std::string(bytes.begin(), bytes.begin() + 6)));
}

// Takes at most room bytes in all.
class TFullStream : public TMemoryStream {
public:
    explicit TFullStream(std::int64_t room) : room_(room) {}
    std::int64_t Write(const void* buffer, std::int64_t count) override
    {
        const std::int64_t n = std::min(count, room_);
        room_ -= n;
        return TMemoryStream::Write(buffer, n);
    }

private:
    std::int64_t room_;
};

TEST(ExtractIO, SinkRaisesWhenTheOutputRefusesBytes)
{
    TFullStream output(5);
    TExtractSink sink(output, 100, nullptr);
    const std::vector<std::uint8_t> bytes = Bytes(8);
    try {
        sink.WriteDecompressed(bytes.data(), bytes.size());
        FAIL();
    } catch (const ECantWriteUCF& error) {
        EXPECT_STREQ(error.what(), "Cant write uncompressed file");
    }
}

} // namespace
