#include "ViewerCache.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "CacheCheck.h"
#include "CacheFolders.h"
#include "CacheSweep.h"
#include "CacheUnpack.h"
#include "ScopeExit.h"
#include "SignalsHeld.h"

namespace {

std::filesystem::path HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    if (const passwd* user = ::getpwuid(::geteuid()); user && user->pw_dir)
        return user->pw_dir;
    throw std::runtime_error("cannot tell this user's home folder for the viewer's cache");
}

// root made when missing; refused when another user could change it.
void CheckRoot(const std::filesystem::path& root)
{
    std::filesystem::create_directories(root.parent_path());
    if (::mkdir(root.c_str(), 0700) != 0 && errno != EEXIST)
        throw std::system_error(errno, std::generic_category(),
                                "cannot make the cache folder \"" + root.string() + "\"");
    struct stat status {};
    if (::lstat(root.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid())
        throw std::runtime_error("the cache folder \"" + root.string() + "\" is not this user's own folder");
    if ((status.st_mode & 07777) != 0700 && ::chmod(root.c_str(), 0700) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot make \"" + root.string() + "\" private");
}

// An untrusted folder of the cache's name is moved out of the way first,
// then removed; anything else there (a link) is simply removed.
void MoveAside(const std::filesystem::path& folder, const std::filesystem::path& root)
{
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0)
        return;
    if (!S_ISDIR(status.st_mode)) {
        if (::unlink(folder.c_str()) != 0)
            throw std::system_error(errno, std::generic_category(), "cannot remove \"" + folder.string() + "\"");
        return;
    }
    RemoveFolder(folder, root);
}

// Unpacks archive afresh into folder's place.
void PutInPlace(TBundleArchive& archive, const std::filesystem::path& folder, const std::filesystem::path& root)
{
    const TSignalsHeld held;
    const std::filesystem::path fresh = MakePrivateFolder(root, ".viewer-" + archive.Key() + "-");
    const TScopeExit removeFresh([&] { RemoveQuietly(fresh); });
    UnpackBundle(archive, fresh);
    // A rename never replaces a folder that holds files: what is there is
    // the untrusted folder or, where the root cannot be locked, another
    // run's complete folder, which is used as it is.
    if (::rename(fresh.c_str(), folder.c_str()) == 0)
        return;
    if (errno != ENOTEMPTY && errno != EEXIST && errno != ENOTDIR)
        throw std::system_error(errno, std::generic_category(), "cannot put \"" + folder.string() + "\" in place");
    if (IsTrustedCache(folder, archive.Files()))
        return;
    MoveAside(folder, root);
    if (::rename(fresh.c_str(), folder.c_str()) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot put \"" + folder.string() + "\" in place");
}

} // namespace

std::filesystem::path CacheRoot()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const std::filesystem::path base = cache && *cache == '/' ? std::filesystem::path(cache) : HomeFolder() / ".cache";
    return base / "pictoria";
}

TViewerFolder ViewerFolder(TBundleArchive& archive, const std::filesystem::path& root)
{
    CheckRoot(root);
    const std::filesystem::path folder = root / ("viewer-" + archive.Key());
    TFolderLock turn(root);
    // Other bundles' folders go first, so that their room is free for an
    // unpacking.
    if (turn.Lock(TFolderLock::TMode::Exclusive))
        RemoveUnusedFolders(root, folder.filename());
    if (!IsTrustedCache(folder, archive.Files()))
        PutInPlace(archive, folder, root);
    // Never waits: a sweep, the only one to lock a viewer folder
    // exclusively, runs only under the root lock this run holds.
    TFolderLock hold(folder, true);
    hold.TryLock(TFolderLock::TMode::Shared);
    return {folder, std::move(hold)};
}
