// The stream abstraction the engine and the GUI layer read and write through,
// and its plain kinds: a file stream over a POSIX descriptor, a growable
// memory stream and a read-only view of bytes held elsewhere. Positions and sizes are 64-bit; the zip layer
// refuses what the archive format cannot hold.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Seek origins.
constexpr int soFromBeginning = 0;
constexpr int soFromCurrent = 1;
constexpr int soFromEnd = 2;

class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Reads up to count bytes; fewer (down to 0) at the end of the stream.
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    // Writes up to count bytes; fewer when the medium refuses the rest.
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    // Moves to offset from origin and returns the new position.
    virtual std::int64_t Seek(std::int64_t offset, int origin) = 0;
    // Streams that cannot change their size ignore this.
    virtual void SetSize(std::int64_t newSize);

    std::int64_t Position();
    void SetPosition(std::int64_t position);
    std::int64_t Size();

    // Read or write exactly count bytes, or raise EReadError / EWriteError.
    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);

    // Copies count bytes from source's position; a count of 0 copies the whole
    // source from its beginning. Returns the bytes copied.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// File open modes: the access in the low two bits, a share mode in the next
// bits (ignored on Linux, where nothing locks a file), or fmCreate.
constexpr std::uint16_t fmOpenRead = 0x0000;
constexpr std::uint16_t fmOpenWrite = 0x0001;
constexpr std::uint16_t fmOpenReadWrite = 0x0002;
constexpr std::uint16_t fmShareCompat = 0x0000;
constexpr std::uint16_t fmShareExclusive = 0x0010;
constexpr std::uint16_t fmShareDenyWrite = 0x0020;
constexpr std::uint16_t fmShareDenyRead = 0x0030;
constexpr std::uint16_t fmShareDenyNone = 0x0040;
constexpr std::uint16_t fmCreate = 0xFFFF;

// A file opened by name; owns its descriptor. Opening failures raise
// EFOpenError, creating failures EFCreateError, both naming the file.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, std::uint16_t mode);
    // Takes over fd, a file opened elsewhere (one without a name, say);
    // fileName names it in messages.
    TFileStream(int fd, const std::string& fileName) : fileName_(fileName), fd_(fd) {}
    ~TFileStream() override;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;
    void SetSize(std::int64_t newSize) override;

    int Handle() const { return fd_; }
    const std::string& FileName() const { return fileName_; }
    // Forces what was written onto the disk; false when the system refuses.
    bool FlushToDisk();

private:
    std::string fileName_;
    int fd_ = -1;
};

// A stream over bytes held in memory; writing past the end grows it.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes);

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;
    void SetSize(std::int64_t newSize) override;

    void Clear();
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::string Text() const { return std::string(bytes_.begin(), bytes_.end()); }

private:
    std::vector<std::uint8_t> bytes_;
    std::int64_t position_ = 0;
};

// A stream that reads bytes someone else holds, without copying them; the
// bytes must outlive it. Writing is refused (0 bytes written).
class TReadOnlyMemoryStream : public TStream {
public:
    explicit TReadOnlyMemoryStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, int origin) override;

private:
    std::span<const std::uint8_t> bytes_;
    std::int64_t position_ = 0;
};

// Shared check of a seek: the origin must be 0, 1 or 2 and the target may not
// lie before the start. Raises EStreamError otherwise.
std::int64_t SeekTarget(std::int64_t offset, int origin, std::int64_t position, std::int64_t size);
