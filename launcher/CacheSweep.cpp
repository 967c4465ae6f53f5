#include "CacheSweep.h"

#include <string>
#include <system_error>
#include <vector>

#include "CacheCheck.h"
#include "CacheFolders.h"
#include "FolderLock.h"
#include "LockingMark.h"

namespace {

bool IsOnItsWayOut(const std::string& name) { return name.starts_with(".stale-"); }

bool IsCacheName(const std::string& name)
{
    return name.starts_with("viewer-") || name.starts_with(".viewer-") || IsOnItsWayOut(name);
}

// The cache's own names but own, listed before anything is moved: the
// removal makes and removes names of its own meanwhile.
std::vector<std::filesystem::path> Candidates(const std::filesystem::path& root, const std::filesystem::path& own)
{
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (auto item = std::filesystem::directory_iterator(root, error);
         !error && item != std::filesystem::directory_iterator(); item.increment(error)) {
        const std::filesystem::path name = item->path().filename();
        if (name != own && IsCacheName(name.string()))
            found.push_back(item->path());
    }
    return found;
}

void RemoveWhenUnused(const std::filesystem::path& folder, const std::filesystem::path& root)
{
    // Checked through the descriptor that is locked: the folder itself,
    // never a link in its place.
    TFolderLock lock(folder);
    struct stat status {};
    if (!lock.Status(status) || !IsPrivateFolder(status))
        return;
    // An unmarked folder may be an older album program's, whose viewer runs
    // from it holding no lock.
    if (!IsOnItsWayOut(folder.filename().string()) && !lock.HoldsFile(LockingMarkName))
        return;
    if (!lock.TryLock(TFolderLock::TMode::Exclusive))
        return;
    try {
        RemoveFolder(folder, root);
    } catch (const std::system_error&) {
        // It stays for a later run; the viewer this run starts needs none of it.
    }
}

} // namespace

void RemoveUnusedFolders(const std::filesystem::path& root, const std::filesystem::path& own)
{
    for (const std::filesystem::path& folder : Candidates(root, own))
        RemoveWhenUnused(folder, root);
}
