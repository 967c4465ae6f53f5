#include "extract/DecodedEntry.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <span>

#include "LittleEndian.h"
#include "crc/Crc32.h"
#include "inflate/Inflate.h"
#include "inflate/UnzipIO.h"
#include "records/ZipRecords.h"

namespace {

constexpr std::uint16_t MethodStored = 0;
constexpr std::uint16_t MethodDeflated = 8;

// Decoding gave up: stop was requested, or the entry is not sound.
struct TDecodingAbandoned {};

// Exactly bytes.size() bytes at offset; false when the file ends before.
bool ReadAt(int file, std::span<std::uint8_t> bytes, std::uint64_t offset)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(file, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The compressed bytes in the blocks the run's archive source reads: up to
// UnzipBlockSize at a time, here lent in place. Each read is noted where the
// run's source polls.
class TCompressedBytes : public TUnzipSource {
public:
    TCompressedBytes(std::span<const std::uint8_t> bytes, TDecodedEntry& decoded, std::stop_token stop)
        : bytes_(bytes), decoded_(decoded), stop_(std::move(stop))
    {
    }

    std::size_t ReadCompressed(std::uint8_t* buffer, std::size_t count) override
    {
        const std::span<const std::uint8_t> block = Next(count);
        std::copy(block.begin(), block.end(), buffer);
        return block.size();
    }

    std::span<const std::uint8_t> ReadCompressedBlock(std::uint8_t*, std::size_t count) override
    {
        return Next(count);
    }

private:
    std::span<const std::uint8_t> Next(std::size_t count)
    {
        if (stop_.stop_requested())
            throw TDecodingAbandoned();
        if (bytes_.empty() || count == 0)
            return {};
        decoded_.Reads.push_back(static_cast<std::uint32_t>(decoded_.Blocks.size()));
        const std::span<const std::uint8_t> block = bytes_.first(std::min({count, UnzipBlockSize, bytes_.size()}));
        bytes_ = bytes_.subspan(block.size());
        return block;
    }

    std::span<const std::uint8_t> bytes_;
    TDecodedEntry& decoded_;
    std::stop_token stop_;
};

// The decoded bytes, kept with their blocks and their CRC-32. Lends no
// memory, as the run's sink lends none, so the blocks are the run's.
class TDecodedBytes : public TUnzipSink {
public:
    explicit TDecodedBytes(TDecodedEntry& decoded, std::uint64_t size) : decoded_(decoded), size_(size) {}

    void WriteDecompressed(const std::uint8_t* data, std::size_t count) override
    {
        if (count > size_ - written_)
            throw TDecodingAbandoned();
        std::memcpy(decoded_.Bytes.get() + written_, data, count);
        crc_ = UpdateCRC(crc_, data, static_cast<std::int64_t>(count));
        written_ += count;
        decoded_.Blocks.push_back(static_cast<std::uint32_t>(count));
    }

    bool Complete() const { return written_ == size_; }
    std::uint32_t CRC() const { return crc_ ^ 0xFFFFFFFF; }

private:
    TDecodedEntry& decoded_;
    std::uint64_t size_;
    std::uint64_t written_ = 0;
    std::uint32_t crc_ = CRC32Start;
};

// Where the entry's data begin; none without a local header at its offset.
std::optional<std::uint64_t> DataStartOf(int archive, const TEntryToDecode& entry)
{
    std::array<std::uint8_t, LocalHeaderSize> header{};
    if (!ReadAt(archive, header, entry.LocalHeaderOffset) || GetU32(header.data()) != entry.LocalSignature)
        return std::nullopt;
    const std::uint16_t nameLength = GetU16(header.data() + 26);  // file name length
    const std::uint16_t extraLength = GetU16(header.data() + 28); // extra field length
    return entry.LocalHeaderOffset + LocalHeaderSize + nameLength + extraLength;
}

bool Decode(const TEntryToDecode& entry, TUnzipIO& io, TInflater& inflater)
{
    if (entry.Method == MethodStored) {
        io.UnStore();
        return true;
    }
    return inflater.Inflate(io) == TInflateStatus::Ok;
}

} // namespace

bool DecodableInMemory(std::uint16_t method) { return method == MethodStored || method == MethodDeflated; }

std::optional<TDecodedEntry> DecodeEntry(int archive, const TEntryToDecode& entry, TInflater& inflater,
                                         std::stop_token stop)
{
    const std::optional<std::uint64_t> dataStart = DataStartOf(archive, entry);
    if (!dataStart)
        return std::nullopt;
    std::vector<std::uint8_t> compressed(entry.CompressedSize);
    if (!ReadAt(archive, compressed, *dataStart))
        return std::nullopt;
    TDecodedEntry decoded{entry, *dataStart, std::make_unique_for_overwrite<std::uint8_t[]>(entry.UncompressedSize),
                          {}, {}};
    TCompressedBytes source(compressed, decoded, std::move(stop));
    TDecodedBytes sink(decoded, entry.UncompressedSize);
    TUnzipIO io(source, sink);
    try {
        if (!Decode(entry, io, inflater) || !sink.Complete() || sink.CRC() != entry.CRC32)
            return std::nullopt;
    } catch (const TDecodingAbandoned&) {
        return std::nullopt;
    }
    return decoded;
}
