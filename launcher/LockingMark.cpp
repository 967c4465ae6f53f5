#include "LockingMark.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

void MarkAsLocking(const std::filesystem::path& folder)
{
    const std::filesystem::path mark = folder / LockingMarkName;
    const int fd = ::open(mark.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "cannot write \"" + mark.string() + "\"");
    ::close(fd);
}
