// A chain of nested folders for tests of deep walks: each folder holds a
// file "f" and the next folder, and the chain is made relative to each
// parent, so its paths may grow past what the system takes (PATH_MAX).
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "RunCommand.h"

// depth folders below root (which exists), each named with width times the
// character "d"; root and each of them get a file "f" holding "x".
inline void MakeFolderChain(const std::string& root, int depth, std::size_t width)
{
    const std::string name(width, 'd');
    int folder = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; folder >= 0; ++level) {
        const int file = ::openat(folder, "f", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (file >= 0) {
            (void)!::write(file, "x", 1);
            ::close(file);
        }
        const int next = level < depth && ::mkdirat(folder, name.c_str(), 0755) == 0
                             ? ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                             : -1;
        ::close(folder);
        folder = next;
    }
}

// Removes a tree that std::filesystem may not reach the bottom of.
inline void RemoveDeepTree(const std::string& root) { RunChecked("rm -rf " + ShellQuote(root)); }
