// The folders of one extraction's destination, opened level by level: each
// relative to the one above it and never through a symbolic link, so an
// archive cannot reach outside the destination by way of a link that is
// already in it (one the user had there, or one an earlier tool made).
// Files are then created relative to the folder they lie in.
//
// The folders of the last path asked for stay open as a chain. Archives keep
// the files of a folder together, so most files cost no look-up at all, and
// a folder made here is opened once, when it is made, and never looked at
// again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/FileHandle.h"

class TDestinationFolders {
public:
    // root is the destination as the user named it ("" for the current
    // folder); a link in root itself is the user's choice and is followed.
    // EFOpenError when it cannot be opened.
    explicit TDestinationFolders(const std::string& root);

    // The folder at relative (parts separated by "/", without "." or ".."
    // parts; "" for the root), made with its missing parents. The descriptor
    // stays valid until the next call. EFCreateError, saying why, when a part
    // is a symbolic link or no folder, or cannot be made or opened.
    int Folder(std::string_view relative);

private:
    struct TLevel {
        std::string Name;
        TFileHandle Handle;
    };

    int OpenLevel(int parent, const std::string& name, std::string_view path);

    TFileHandle root_;
    // The folders of the last path, root's child first.
    std::vector<TLevel> chain_;
};
