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
// UnzipBlockSize at a time, read where they lie in the archive. Each read is
// noted where the run's source polls.
class TCompressedBytes : public TUnzipSource {
public:
    TCompressedBytes(int archive, std::uint64_t offset, std::uint64_t size, TDecodedEntry& decoded,
                     std::stop_token stop)
        : archive_(archive), offset_(offset), left_(size), decoded_(decoded), stop_(std::move(stop))
    {
    }

    std::size_t ReadCompressed(std::uint8_t* buffer, std::size_t count) override
    {
        if (stop_.stop_requested())
            throw TDecodingAbandoned();
        if (left_ == 0 || count == 0)
            return 0;
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>({count, UnzipBlockSize, left_}));
        // Data that end early are the run's to report.
        if (!ReadAt(archive_, {buffer, size}, offset_))
            throw TDecodingAbandoned();
        decoded_.Reads.push_back(static_cast<std::uint32_t>(decoded_.Blocks.size()));
        offset_ += size;
        left_ -= size;
        return size;
    }

private:
    int archive_;
    std::uint64_t offset_;
    std::uint64_t left_;
    TDecodedEntry& decoded_;
    std::stop_token stop_;
};

// The decoded bytes, kept with their blocks and their CRC-32. Lends no
// memory, as the run's sink lends none, so the blocks are the run's.
class TDecodedBytes : public TUnzipSink {
public:
    TDecodedBytes(TDecodedEntry& decoded, std::span<std::uint8_t> memory) : decoded_(decoded), memory_(memory) {}

    void WriteDecompressed(const std::uint8_t* data, std::size_t count) override
    {
        if (count > memory_.size() - written_)
            throw TDecodingAbandoned();
        std::memcpy(memory_.data() + written_, data, count);
        crc_ = UpdateCRC(crc_, data, static_cast<std::int64_t>(count));
        written_ += count;
        decoded_.Blocks.push_back(static_cast<std::uint32_t>(count));
    }

    bool Complete() const { return written_ == memory_.size(); }
    std::uint32_t CRC() const { return crc_ ^ 0xFFFFFFFF; }

private:
    TDecodedEntry& decoded_;
    std::span<std::uint8_t> memory_;
    std::size_t written_ = 0;
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

} // namespace

std::optional<TDecodedEntry> DecodeEntry(int archive, const TEntryToDecode& entry, TInflater& inflater,
                                         std::span<std::uint8_t> memory, std::stop_token stop)
{
    const std::optional<std::uint64_t> dataStart = DataStartOf(archive, entry);
    if (!dataStart)
        return std::nullopt;
    TDecodedEntry decoded{entry, *dataStart, memory, {}, {}};
    TCompressedBytes source(archive, *dataStart, entry.CompressedSize, decoded, std::move(stop));
    TDecodedBytes sink(decoded, memory);
    TUnzipIO io(source, sink);
    try {
        if (inflater.Inflate(io) != TInflateStatus::Ok || !sink.Complete() || sink.CRC() != entry.CRC32)
            return std::nullopt;
    } catch (const TDecodingAbandoned&) {
        return std::nullopt;
    }
    return decoded;
}
