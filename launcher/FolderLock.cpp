#include "FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

int Operation(TFolderLock::TMode mode) { return mode == TFolderLock::TMode::Shared ? LOCK_SH : LOCK_EX; }

} // namespace

TFolderLock::TFolderLock(const std::filesystem::path& folder, bool keptAcrossExec)
    : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | (keptAcrossExec ? 0 : O_CLOEXEC)))
{
}

TFolderLock::TFolderLock(TFolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

TFolderLock::~TFolderLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool TFolderLock::Status(struct stat& status) const { return fd_ >= 0 && ::fstat(fd_, &status) == 0; }

bool TFolderLock::HoldsFile(const std::filesystem::path& name) const
{
    struct stat status {};
    return fd_ >= 0 && ::fstatat(fd_, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode);
}

bool TFolderLock::Lock(TMode mode) { return Flock(Operation(mode)); }

bool TFolderLock::TryLock(TMode mode) { return Flock(Operation(mode) | LOCK_NB); }

bool TFolderLock::Flock(int operation)
{
    if (fd_ < 0)
        return false;
    int result = 0;
    do
        result = ::flock(fd_, operation);
    while (result != 0 && errno == EINTR);
    return result == 0;
}
