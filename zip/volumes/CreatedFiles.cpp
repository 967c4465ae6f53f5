#include "volumes/CreatedFiles.h"

#include <sys/stat.h>
#include <unistd.h>

void TCreatedFiles::Add(const std::string& name)
{
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0)
        files_.push_back(TCreatedFile{name, info.st_dev, info.st_ino});
}

bool TCreatedFiles::Holds(const std::string& name) const
{
    for (const TCreatedFile& file : files_)
        if (IsSameFile(file, name))
            return true;
    return false;
}

void TCreatedFiles::RemoveAll()
{
    for (const TCreatedFile& file : files_)
        if (IsSameFile(file, file.Name))
            ::unlink(file.Name.c_str());
    files_.clear();
}

bool TCreatedFiles::IsSameFile(const TCreatedFile& file, const std::string& name) const
{
    struct stat info {};
    return ::stat(name.c_str(), &info) == 0 && info.st_dev == file.Device && info.st_ino == file.Inode;
}
