// The walk through folders that turns a start path with wildcards and a file
// mask into file names: TSearchData lists one folder, TDirSearch walks a
// stack of them.
//
// A start path such as "data/20*/day?/" has a base folder ("data/") and
// folder patterns ("20*", "day?"): the walk enters only the subfolders that
// match the pattern of their level, and matches the files of the last level
// against the file mask; with recurse it then enters every subfolder below.
// A component with wildcard characters that names an existing folder, such
// as "Best <2024>", belongs to the base folder.
//
// Every level is listed in byte order of the names, so a walk over the same
// tree gives the same paths on every run. Only regular files and folders are
// returned; links to folders are not followed. The walk goes as deep as the
// tree does; what it cannot read (a folder it may not list, a path longer
// than the system takes, a folder mounted inside itself) and what is no
// regular file or folder (a FIFO, a device, a link to a folder or to
// nothing) it names to its left-out event with the reason, and leaves out.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/SearchRec.h"

// An entry the walk leaves out: its path (a folder's with a final "/" when
// it would not be entered) and why (the system's error, or what the entry is).
struct TLeftOut {
    std::string Path;
    std::string Name;
    std::string Reason;
};

// A folder's identity on its file system.
struct TFolderId {
    dev_t Device = 0;
    ino_t Inode = 0;
    bool operator==(const TFolderId&) const = default;
};

// One folder being listed. The listing is read whole when the level is made,
// without "." and "..".
class TSearchData {
public:
    // folder gets a final "/" unless it has one or is empty (the current folder).
    // mask is kept for the walk; the listing holds every entry.
    TSearchData(std::string folder, std::string mask);

    // Moves to the next entry; once used up, the level stays used up.
    void FindNext();

    const std::string& Folder() const { return folder_; }
    const std::string& Mask() const { return mask_; }
    // 0 while an entry is current; the error of the listing, or ENOENT once
    // the entries are used up.
    int Status() const { return status_; }
    // The current entry; only while Status() is 0.
    const TSearchRec& SearchRec() const { return entries_[index_]; }
    // True when the folder could not be listed or is empty.
    bool NothingFound() const { return nothingFound_; }
    // The error of opening the folder; 0 when it was listed.
    int ListError() const { return listError_; }
    // The entries that are no regular file or folder, or whose kind the
    // listing could not tell.
    const std::vector<TLeftOut>& LeftOut() const { return leftOut_; }
    const TFolderId& Id() const { return id_; }

private:
    std::string folder_;
    std::string mask_;
    std::vector<TSearchRec> entries_;
    std::vector<TLeftOut> leftOut_;
    TFolderId id_;
    int listError_ = 0;
    std::size_t index_ = 0;
    int status_ = 0;
    bool nothingFound_ = false;
};

class TDirSearch {
public:
    // Told of each folder or file the walk leaves out, with the reason: the
    // system's error for one it cannot read (that of ELOOP for a folder
    // inside itself), or what an entry that is no regular file or folder is.
    using TLeftOutEvent = std::function<void(const std::string& path, const std::string& reason)>;

    // A start path whose first component holds a wildcard ("a*/") has the
    // current folder as its base, and its paths come out relative to it; so
    // does an empty start path. A start folder that does not exist is not
    // reported: the walk simply finds nothing.
    TDirSearch(std::string startPath, bool recurse, std::string fileMask, TLeftOutEvent onLeftOut = {});

    // The next path of the walk in path, or an empty path when the walk is
    // over. A file comes as folder + name; with recurse, each folder comes
    // as its path + "/" before its contents. record describes the entry.
    void NextFile(TSearchRec& record, std::string& path);

private:
    TSearchData& Level() { return *levels_.back(); }
    int Depth() const { return static_cast<int>(levels_.size()) - 1; }
    int FolderPatternCount() const { return static_cast<int>(folderPatterns_.size()); }
    bool AtFolderPatternLevel() const { return Depth() < FolderPatternCount(); }
    // The folder pattern of a folder-pattern level, the file mask below.
    const std::string& MaskOfLevel(int depth) const;
    // Lists a folder as the next level and reports what it could not read.
    void PushLevel(const std::string& folder);
    // Pushes the level of a subfolder of the current level; false, and
    // reported, when that folder is one of the levels already open.
    bool Enter(const TSearchRec& folder);
    bool InsideItself(const TFolderId& folder) const;
    void Report(const std::string& path, const std::string& reason) const;
    // Frees the used-up current level and moves its parent past it.
    void LeaveLevel();
    // Enters the next subfolder that matches the current level's pattern, or
    // uses the level up.
    void EnterMatchingFolder();
    // Looks at the current entry of a file level and moves on; true when it
    // is one to return.
    bool NextEntryOfFileLevel(TSearchRec& record, std::string& path);

    std::vector<std::unique_ptr<TSearchData>> levels_;
    std::string fileMask_;
    bool recurse_;
    std::vector<std::string> folderPatterns_;
    TLeftOutEvent onLeftOut_;
};
