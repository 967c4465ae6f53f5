// The files a build created, each remembered with its identity (device and
// inode), so that a failed build removes exactly those: a name that leads to
// another file by then (another disk in the drive) is left alone.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

class TCreatedFiles {
public:
    // Remembers the file name leads to now.
    void Add(const std::string& name);
    // Whether name leads to one of the files created.
    bool Holds(const std::string& name) const;
    // Deletes every file still found under its name, and forgets them all.
    void RemoveAll();
    void Clear() { files_.clear(); }

private:
    struct TCreatedFile {
        std::string Name;
        dev_t Device;
        ino_t Inode;
    };
    bool IsSameFile(const TCreatedFile& file, const std::string& name) const;

    std::vector<TCreatedFile> files_;
};
