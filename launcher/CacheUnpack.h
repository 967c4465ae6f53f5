// Unpacking a viewer bundle into a folder of its own.
#pragma once

#include <filesystem>

#include "BundleArchive.h"

// Unpacks every file of archive into the empty folder, subfolders and files
// with mode 0700. Raises on any failure; a full disk says so. What was
// written stays for the caller to remove.
void UnpackBundle(TBundleArchive& archive, const std::filesystem::path& folder);
