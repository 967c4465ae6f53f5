// The check a cache folder passes before the launcher runs anything in it.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "BundleArchive.h"

// Whether status, taken without following a link, is of a real folder of
// this user's own with mode 0700.
bool IsPrivateFolder(const struct stat& status);

// Whether folder may be used as it stands: a real folder (no link) of this
// user's own with mode 0700, holding exactly the bundle's files, each a
// plain file with the size and CRC-32 the archive gives, and nothing else
// but the launcher's mark (LockingMark.h), which older launchers never wrote.
// Reads every file once.
bool IsTrustedCache(const std::filesystem::path& folder, const std::vector<TBundleFile>& files);
