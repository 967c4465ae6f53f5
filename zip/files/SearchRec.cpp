#include "files/SearchRec.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

int Attributes(const std::string& name, const struct stat& info)
{
    int attr = faArchive;
    if (S_ISDIR(info.st_mode))
        attr |= faDirectory;
    if (!(info.st_mode & S_IWUSR))
        attr |= faReadOnly;
    if (!name.empty() && name[0] == '.')
        attr |= faHidden;
    return attr;
}

// What an entry of this mode is, when it is no regular file or folder.
std::string KindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "a special file";
}

} // namespace

bool ReadSearchRec(const std::string& folder, const std::string& name, TSearchRec& record)
{
    const std::string path = folder + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    if (S_ISLNK(info.st_mode) && (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)))
        return false;
    if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return false;
    record.Time = TimeToDosDateTime(info.st_mtim.tv_sec);
    record.Size = S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0;
    record.Attr = Attributes(name, info);
    record.Name = name;
    return true;
}

std::string RefusalOf(const std::string& folder, const std::string& name)
{
    const std::string path = folder + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? "" : std::strerror(errno);
    if (!S_ISLNK(info.st_mode))
        return KindOf(info.st_mode) + ", not a regular file";
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? "a symbolic link to nothing" : std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "a symbolic link to a folder, which is not followed";
    return "a symbolic link to " + KindOf(info.st_mode) + ", not to a regular file";
}

bool IsDirectory(const TSearchRec& record) { return (record.Attr & faDirectory) != 0; }

bool IsRealDirectory(const TSearchRec& record)
{
    return IsDirectory(record) && record.Name != "." && record.Name != "..";
}
