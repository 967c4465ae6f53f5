// An advisory lock (flock) on a folder, held through a descriptor of the
// folder itself: shared or exclusive, until the descriptor closes. Launchers
// lock the cache root exclusively while they change the cache, and hold
// their viewer folder shared while its viewer runs, so that no other
// launcher removes it meanwhile.
#pragma once

#include <sys/stat.h>

#include <filesystem>

class TFolderLock {
public:
    enum class TMode { Shared, Exclusive };

    // Opens folder itself, never a link in its place; when it cannot, no
    // lock can be taken. Kept across exec, the descriptor (and so a lock
    // taken on it) passes to the program the process becomes, held for as
    // long as it runs.
    explicit TFolderLock(const std::filesystem::path& folder, bool keptAcrossExec = false);
    TFolderLock(TFolderLock&& other) noexcept;
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;
    TFolderLock& operator=(TFolderLock&&) = delete;
    ~TFolderLock();

    // The opened folder's own status; false when it is not open.
    bool Status(struct stat& status) const;
    // Whether the opened folder holds a plain file (no link) of that name
    // directly.
    bool HoldsFile(const std::filesystem::path& name) const;

    // Waits for the lock; false when it cannot be had: the folder is not
    // open or its file system cannot lock.
    bool Lock(TMode mode);
    // Takes the lock only when nobody holds a conflicting one now.
    bool TryLock(TMode mode);

private:
    bool Flock(int operation);

    int fd_ = -1;
};
