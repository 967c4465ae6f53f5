#include "UnpackedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

TUnpackedFile::TUnpackedFile(const std::filesystem::path& path, mode_t mode)
    : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode))
{
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "cannot create \"" + path.string() + "\"");
}

TUnpackedFile::~TUnpackedFile() { ::close(fd_); }

std::int64_t TUnpackedFile::Read(void* buffer, std::int64_t count)
{
    ssize_t n = 0;
    do
        n = ::read(fd_, buffer, static_cast<std::size_t>(count));
    while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : n;
}

std::int64_t TUnpackedFile::Write(const void* buffer, std::int64_t count)
{
    const char* at = static_cast<const char*>(buffer);
    std::int64_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd_, at + written, static_cast<std::size_t>(count - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            writeError_ = n < 0 ? errno : ENOSPC;
            break;
        }
        written += n;
    }
    return written;
}

std::int64_t TUnpackedFile::Seek(std::int64_t offset, int origin)
{
    struct stat status {};
    ::fstat(fd_, &status);
    const std::int64_t target = SeekTarget(offset, origin, ::lseek(fd_, 0, SEEK_CUR), status.st_size);
    return ::lseek(fd_, target, SEEK_SET);
}

void TUnpackedFile::SetSize(std::int64_t newSize)
{
    if (::ftruncate(fd_, newSize) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot set the size of an unpacked file");
}
