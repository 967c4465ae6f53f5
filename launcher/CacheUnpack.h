// Unpacking a viewer bundle into a folder of its own.
#pragma once

#include <filesystem>

#include "BundleArchive.h"

// Marks the empty folder as a locking launcher's (LockingMark.h) and unpacks
// every file of archive into it, subfolders and files with mode 0700. Raises
// on any failure; a full disk says so. What was written stays for the caller
// to remove.
void UnpackBundle(TBundleArchive& archive, const std::filesystem::path& folder);
