#include "PrivateFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

TPrivateFolder::TPrivateFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/pictoview-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::system_error(errno, std::generic_category(), "cannot make a private folder \"" + pattern + "\"");
    path_ = pattern;
}

TPrivateFolder::~TPrivateFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TPrivateFolder::CreateFile(const std::string& name) const
{
    const std::filesystem::path file = path_ / name;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "cannot create \"" + file.string() + "\"");
    ::close(fd);
    return file;
}
