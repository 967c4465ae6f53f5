#include "files/FileStamp.h"

#include <sys/stat.h>

std::optional<TFileStamp> FileStampOf(int fileDescriptor)
{
    struct stat info {};
    if (::fstat(fileDescriptor, &info) != 0)
        return std::nullopt;
    TFileStamp stamp;
    stamp.Device = info.st_dev;
    stamp.Inode = info.st_ino;
    stamp.Size = info.st_size;
    stamp.ModifiedSeconds = info.st_mtim.tv_sec;
    stamp.ModifiedNanoseconds = info.st_mtim.tv_nsec;
    return stamp;
}
