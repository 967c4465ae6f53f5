#include "extract/ExtractIO.h"

#include <algorithm>

#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "crc/Crc32.h"

TArchiveSource::TArchiveSource(TStream& archive, std::uint64_t compressedSize, TPoll poll, TDecrypt decrypt)
    : archive_(archive), left_(compressedSize), poll_(std::move(poll)), decrypt_(std::move(decrypt))
{
}

std::size_t TArchiveSource::ReadCompressed(std::uint8_t* buffer, std::size_t count)
{
    if (left_ == 0 || count == 0)
        return 0;
    if (poll_)
        poll_();
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left_, std::min(count, UnzipBlockSize)));
    const std::int64_t got = archive_.Read(buffer, static_cast<std::int64_t>(want));
    if (got != static_cast<std::int64_t>(want)) {
        cutShort_ = true;
        throw EFatalUnzipError(LoadStr(IDS_PREMATUREEOF));
    }
    left_ -= want;
    if (decrypt_)
        decrypt_(buffer, want);
    return want;
}

TExtractSink::TExtractSink(TStream& output, std::uint64_t uncompressedSize, TWritten written)
    : output_(output), uncompressedSize_(uncompressedSize), written_(std::move(written)), runningCRC_(CRC32Start)
{
}

void TExtractSink::WriteDecompressed(const std::uint8_t* data, std::size_t count)
{
    // Only this entry's bytes count: a caller's stream may hold others before.
    if (count > uncompressedSize_ - bytesWritten_)
        throw EBiggerThanUncompressed(LoadStr(IDS_LARGERTHANUNCOMPRESSED));
    if (output_.Write(data, static_cast<std::int64_t>(count)) != static_cast<std::int64_t>(count))
        throw ECantWriteUCF(LoadStr(IDS_CANTWRITEUCF));
    runningCRC_ = UpdateCRC(runningCRC_, data, static_cast<std::int64_t>(count));
    bytesWritten_ += count;
    if (written_)
        written_(count);
}

std::uint32_t TExtractSink::CRC() const { return runningCRC_ ^ 0xFFFFFFFF; }
