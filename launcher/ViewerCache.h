// The per-user cache of unpacked viewer bundles: one folder per bundle
// content, "viewer-" followed by its key, inside the cache root
// $XDG_CACHE_HOME/pictoria (~/.cache/pictoria when that is unset).
//
// A folder is used only after it passes IsTrustedCache. Otherwise the bundle
// is unpacked into a new private folder beside it, which takes the cache
// folder's place by one rename once it is complete: a half-unpacked folder
// never carries the cache folder's name.
//
// Launchers take turns: each checks, unpacks and renames under an exclusive
// lock on the cache root, so launchers started at the same moment find the
// cache as the one before them left it. Meanwhile each removes the folders
// of other bundles that a launcher marked and no running viewer holds
// (RemoveUnusedFolders), and holds its own folder shared before it lets the
// root go.
#pragma once

#include <filesystem>

#include "BundleArchive.h"
#include "FolderLock.h"

std::filesystem::path CacheRoot();

// A checked viewer folder with the shared lock that keeps other launchers
// from removing it: held while this object lives and, kept across exec, by
// the viewer the process becomes for as long as it runs.
struct TViewerFolder {
    std::filesystem::path Path;
    TFolderLock Hold;
};

// The checked folder holding archive's files under root, unpacked first when
// needed. Raises when root is not this user's own or unpacking fails. Where
// the file system cannot lock, launchers go on unlocked and remove nothing.
TViewerFolder ViewerFolder(TBundleArchive& archive, const std::filesystem::path& root);
