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

// A link from the descriptor's file to name. Through /proc/self/fd, which
// any process may use; where /proc is missing, AT_EMPTY_PATH, which needs
// the right to search files by handle.
int LinkDescriptor(int fd, const std::string& name)
{
    const std::string viaProc = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, viaProc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return -1;
    return ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
}

} // namespace

std::optional<TFileHandle> OpenUnnamedFile(const std::string& folder)
{
    TFileHandle file(::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (!file.IsOpen())
        return std::nullopt;
    return file;
}

std::string NameUnnamedFile(int fd, const std::string& folder)
{
    for (;;) {
        const std::string name = FolderWithSlash(folder) + RandomTemporaryName();
        if (LinkDescriptor(fd, name) == 0)
            return name;
        if (errno != EEXIST)
            throw EFCreateError(Format("Cannot create file \"%s\". %s", {name, std::strerror(errno)}));
    }
}
