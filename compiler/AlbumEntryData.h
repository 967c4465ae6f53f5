// What an album entry holds for one picture. Readers decode every picture
// entry as JPEG, so a JPEG picture goes in with its own bytes and any other
// picture (bitmap, icon, metafile, scanned) is converted to JPEG at quality
// 90. A held picture goes back as the album stored it, still encrypted when
// it was; an empty picture, or a held one whose bytes were lost, becomes a
// placeholder JPEG, so the pictures after it keep their numbers.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "ZipReader.h"
#include "pictures/Graphics.h"

namespace pictomake {

// Entries are written while the pictures stay in the window: a JPEG
// picture's bytes and a held picture's entry are used where they are, only
// converted pictures are held here.
struct TAlbumEntryData {
    // The JPEG bytes, unless Stored is set: Converted's, or the picture's own.
    std::span<const std::uint8_t> Jpeg;
    std::vector<std::uint8_t> Converted;
    // The held picture's entry as stored; owned by the picture.
    const TStoredEntry* Stored = nullptr;
};

inline constexpr int AlbumJpegQuality = 90;

// graphic: the picture's graphic, nullptr for an empty picture. The result
// refers to the graphic, which must stay unchanged while it is used.
TAlbumEntryData AlbumEntryDataOf(TGraphic* graphic);

} // namespace pictomake
