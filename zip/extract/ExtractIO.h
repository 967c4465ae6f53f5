// The two ends that extraction plugs into a TUnzipIO: the archive side, which
// reads an entry's compressed bytes (decrypting them and polling for a
// cancel), and the output side, which checks the size, writes, keeps the
// CRC-32 and reports each block written.
#pragma once

#include <cstdint>
#include <functional>

#include "Stream.h"
#include "inflate/UnzipIO.h"

// The compressed bytes of one entry, read from the archive stream's position
// in blocks of up to 32 KB. Before each read poll runs (it may raise
// EUserCanceled); after it decrypt, when given, turns the block into plain
// bytes in place. An archive that ends before the entry's compressed size is
// read raises EFatalUnzipError "Premature end of file reached".
class TArchiveSource : public TUnzipSource {
public:
    using TPoll = std::function<void()>;
    using TDecrypt = std::function<void(std::uint8_t* buffer, std::size_t count)>;

    TArchiveSource(TStream& archive, std::uint64_t compressedSize, TPoll poll, TDecrypt decrypt);
    std::size_t ReadCompressed(std::uint8_t* buffer, std::size_t count) override;
    // The archive ended before the entry's stored bytes did: it is damaged,
    // whatever the password.
    bool CutShort() const { return cutShort_; }

private:
    TStream& archive_;
    std::uint64_t left_;
    bool cutShort_ = false;
    TPoll poll_;
    TDecrypt decrypt_;
};

// The decompressed bytes of one entry, written to output. A block that would
// take the entry past uncompressedSize raises EBiggerThanUncompressed "File
// is larger than uncompressed size!" and is not written; a stream that takes
// fewer bytes than given raises ECantWriteUCF "Cant write uncompressed file".
// written runs after each block with the block's size.
class TExtractSink : public TUnzipSink {
public:
    using TWritten = std::function<void(std::size_t count)>;

    TExtractSink(TStream& output, std::uint64_t uncompressedSize, TWritten written);
    void WriteDecompressed(const std::uint8_t* data, std::size_t count) override;

    // The CRC-32 of the bytes written so far.
    std::uint32_t CRC() const;
    std::uint64_t BytesWritten() const { return bytesWritten_; }

private:
    TStream& output_;
    std::uint64_t uncompressedSize_;
    TWritten written_;
    std::uint64_t bytesWritten_ = 0;
    std::uint32_t runningCRC_;
};
