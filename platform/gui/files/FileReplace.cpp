#include "files/FileReplace.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The folder part of fileName with its "/", or "" for the current folder.
std::string FolderOf(const std::string& fileName)
{
    const std::size_t slash = fileName.rfind('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

// Opens a new temporary file beside fileName; the mode 0666 passes through
// the umask as for any new file. Its name is short whatever fileName's is,
// so a file named up to the system's limit can be replaced too.
int CreateBeside(const std::string& fileName, std::string& tempName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = FolderOf(fileName) + ".pictoria-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) +
                   ".tmp";
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

bool ReplaceFileContents(const std::string& fileName, std::string_view bytes)
{
    std::string tempName;
    const int fd = CreateBeside(fileName, tempName);
    if (fd < 0)
        return false;
    struct stat old {};
    bool ok = WriteAll(fd, bytes);
    if (ok && ::stat(fileName.c_str(), &old) == 0)
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tempName.c_str(), fileName.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlink(tempName.c_str());
        errno = error;
    }
    return ok;
}
