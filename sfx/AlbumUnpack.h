// Unpacks the archive appended to an album program into a private folder:
// every entry under its base name only, its CRC checked. The archive must
// hold exactly one viewer "pictoview.exe" and exactly one album (".pxa");
// anything else about it that cannot be trusted is a failure, raised before
// the first byte is written where it can be told from the directory.
#pragma once

#include <filesystem>
#include <string>

#include "PrivateFolder.h"

struct TUnpackedAlbum {
    std::filesystem::path Viewer; // executable by its owner only
    std::filesystem::path Album;
};

TUnpackedAlbum UnpackAlbum(const std::string& programFile, const TPrivateFolder& folder);
