// The per-user cache of unpacked viewer bundles: one folder per bundle
// content, "viewer-" followed by its key, inside the cache root
// $XDG_CACHE_HOME/pictoria (~/.cache/pictoria when that is unset).
//
// A folder is used only after it passes IsTrustedCache. Otherwise the bundle
// is unpacked into a new private folder beside it, which takes the cache
// folder's place by one rename once it is complete: a half-unpacked folder
// never carries the cache folder's name.
#pragma once

#include <filesystem>

#include "BundleArchive.h"

std::filesystem::path CacheRoot();

// The checked folder holding archive's files under root, unpacked first when
// needed. Raises when root is not this user's own or unpacking fails.
std::filesystem::path ViewerFolder(TBundleArchive& archive, const std::filesystem::path& root);
