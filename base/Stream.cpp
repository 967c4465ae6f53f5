#include "Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>
#include <fcntl.h>
#include <unistd.h>

#include "Exceptions.h"
#include "Format.h"

void TStream::SetSize(std::int64_t) {}

std::int64_t TStream::Position() { return Seek(0, soFromCurrent); }

void TStream::SetPosition(std::int64_t position) { Seek(position, soFromBeginning); }

std::int64_t TStream::Size()
{
    const std::int64_t position = Seek(0, soFromCurrent);
    const std::int64_t size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr std::int64_t chunkSize = 64 * 1024;
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min(count, chunkSize)));
    std::int64_t copied = 0;
    while (copied < count) {
        const std::int64_t n = std::min(count - copied, chunkSize);
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        copied += n;
    }
    return copied;
}

std::int64_t SeekTarget(std::int64_t offset, int origin, std::int64_t position, std::int64_t size)
{
    std::int64_t target = 0;
    switch (origin) {
    case soFromBeginning: target = offset; break;
    case soFromCurrent: target = position + offset; break;
    case soFromEnd: target = size + offset; break;
    default: throw EStreamError(Format("Invalid seek origin (%d)", {IntToStr(origin)}));
    }
    if (target < 0)
        throw EStreamError(Format("Invalid stream position (%d)", {IntToStr(target)}));
    return target;
}

namespace {

int OpenFlags(std::uint16_t mode)
{
    if (mode == fmCreate)
        return O_RDWR | O_CREAT | O_TRUNC;
    switch (mode & 3) {
    case fmOpenWrite: return O_WRONLY;
    case fmOpenReadWrite: return O_RDWR;
    default: return O_RDONLY;
    }
}

std::string FileError(const char* pattern, const std::string& fileName, int error)
{
    return Format(pattern, {fileName, std::strerror(error)});
}

// Repeats a read or write until count bytes moved, the end came or the
// system refused; an interrupted call is retried. Returns the bytes moved.
template <class Byte, class Transfer>
std::int64_t TransferAll(Byte* bytes, std::int64_t count, Transfer transfer)
{
    std::int64_t total = 0;
    while (total < count) {
        const ssize_t n = transfer(bytes + total, static_cast<std::size_t>(count - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += n;
    }
    return total;
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, std::uint16_t mode) : fileName_(fileName)
{
    fd_ = ::open(fileName.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        if (mode == fmCreate)
            throw EFCreateError(FileError("Cannot create file \"%s\". %s", fileName, errno));
        throw EFOpenError(FileError("Cannot open file \"%s\". %s", fileName, errno));
    }
}

TFileStream::~TFileStream() { ::close(fd_); }

std::int64_t TFileStream::Read(void* buffer, std::int64_t count)
{
    return TransferAll(static_cast<char*>(buffer), count,
                       [this](char* at, std::size_t n) { return ::read(fd_, at, n); });
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count)
{
    return TransferAll(static_cast<const char*>(buffer), count,
                       [this](const char* at, std::size_t n) { return ::write(fd_, at, n); });
}

std::int64_t TFileStream::Seek(std::int64_t offset, int origin)
{
    if (origin == soFromCurrent && offset == 0)
        return ::lseek(fd_, 0, SEEK_CUR);
    const std::int64_t position = ::lseek(fd_, 0, SEEK_CUR);
    const std::int64_t size = origin == soFromEnd ? ::lseek(fd_, 0, SEEK_END) : 0;
    const std::int64_t target = SeekTarget(offset, origin, position, size);
    const off_t reached = ::lseek(fd_, target, SEEK_SET);
    if (reached != target)
        throw EStreamError(FileError("Cannot seek in file \"%s\". %s", fileName_, errno));
    return reached;
}

void TFileStream::SetSize(std::int64_t newSize)
{
    if (::ftruncate(fd_, newSize) != 0)
        throw EStreamError(FileError("Cannot set the size of file \"%s\". %s", fileName_, errno));
}

bool TFileStream::FlushToDisk() { return ::fsync(fd_) == 0; }

namespace {

// Up to count bytes from position on, moving position past them.
std::int64_t ReadFromBytes(std::span<const std::uint8_t> bytes, std::int64_t& position, void* buffer,
                           std::int64_t count)
{
    const auto size = static_cast<std::int64_t>(bytes.size());
    const std::int64_t n = std::clamp<std::int64_t>(size - position, 0, std::max<std::int64_t>(count, 0));
    if (n > 0)
        std::memcpy(buffer, bytes.data() + position, static_cast<std::size_t>(n));
    position += n;
    return n;
}

} // namespace

TMemoryStream::TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count)
{
    return ReadFromBytes(bytes_, position_, buffer, count);
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count)
{
    if (count <= 0)
        return 0;
    const std::int64_t end = position_ + count;
    if (end > static_cast<std::int64_t>(bytes_.size()))
        bytes_.resize(static_cast<std::size_t>(end));
    std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, int origin)
{
    position_ = SeekTarget(offset, origin, position_, static_cast<std::int64_t>(bytes_.size()));
    return position_;
}

void TMemoryStream::SetSize(std::int64_t newSize)
{
    bytes_.resize(static_cast<std::size_t>(std::max<std::int64_t>(newSize, 0)));
    position_ = std::min(position_, static_cast<std::int64_t>(bytes_.size()));
}

std::int64_t TReadOnlyMemoryStream::Read(void* buffer, std::int64_t count)
{
    return ReadFromBytes(bytes_, position_, buffer, count);
}

std::int64_t TReadOnlyMemoryStream::Seek(std::int64_t offset, int origin)
{
    position_ = SeekTarget(offset, origin, position_, static_cast<std::int64_t>(bytes_.size()));
    return position_;
}

void TMemoryStream::Clear()
{
    bytes_.clear();
    position_ = 0;
}
