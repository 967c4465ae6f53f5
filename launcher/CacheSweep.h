// Keeping the cache one bundle big: what no launcher needs goes.
#pragma once

#include <filesystem>

// Removes from root the folders of other bundles ("viewer-" and a key) whose
// viewer no longer runs, and what killed runs left behind (".viewer-" and
// ".stale-" folders). Only folders the cache check would pass as a whole
// are touched: real folders (no link) of this user's own with mode 0700,
// and only when an exclusive lock on them can be had at once; anything
// else stays, as does the folder named own. A "viewer-" or ".viewer-"
// folder goes only when it bears the locking launcher's mark: no lock
// tells whether an older album program's viewer runs from an unmarked one,
// so those stay, however long unused. A ".stale-" folder needs no mark: the
// name is given only to a folder already being removed. A folder that
// cannot be removed now stays for a later run.
//
// Runs only while the caller holds root's exclusive lock: the unpacking and
// moved-aside folders of a live launcher exist only while it holds that.
void RemoveUnusedFolders(const std::filesystem::path& root, const std::filesystem::path& own);
