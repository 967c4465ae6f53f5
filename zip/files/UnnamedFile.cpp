#include "files/UnnamedFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Exceptions.h"
#include "Format.h"
#include "files/TemporaryName.h"

namespace {

std::string FolderWithSlash(const std::string& folder)
{
    if (folder.empty() || folder.back() == '/')
        return folder;
    return folder + "/";
}

} // namespace

std::optional<TFileHandle> OpenUnnamedFile(const std::string& folder)
{
    TFileHandle file(::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (!file.IsOpen())
        return std::nullopt;
    return file;
}

std::optional<TFileHandle> OpenUnnamedFileAt(int folder, mode_t mode)
{
    TFileHandle file(::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
    if (!file.IsOpen())
        return std::nullopt;
    return file;
}

// A link from the descriptor's file to name. Through /proc/self/fd, which
// any process may use; where /proc is missing, AT_EMPTY_PATH, which needs
// the right to search files by handle.
bool LinkUnnamedFile(int fd, int folder, const std::string& name)
{
    const std::string viaProc = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, viaProc.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != ENOENT)
        return false;
    return ::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0;
}

std::string NameUnnamedFile(int fd, const std::string& folder)
{
    for (;;) {
        const std::string name = FolderWithSlash(folder) + RandomTemporaryName();
        if (LinkUnnamedFile(fd, AT_FDCWD, name))
            return name;
        if (errno != EEXIST)
            throw EFCreateError(Format("Cannot create file \"%s\". %s", {name, std::strerror(errno)}));
    }
}
