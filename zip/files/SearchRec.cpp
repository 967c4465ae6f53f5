#include "files/SearchRec.h"

#include <sys/stat.h>

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

bool IsDirectory(const TSearchRec& record) { return (record.Attr & faDirectory) != 0; }

bool IsRealDirectory(const TSearchRec& record)
{
    return IsDirectory(record) && record.Name != "." && record.Name != "..";
}
