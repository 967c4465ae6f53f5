// The album file's layout, shared by the compiler that writes it and the
// viewer that reads it: a zip archive whose entry 0 is the album settings
// file and whose entries 1 to N are the pictures in album order, each as
// JPEG data. Names are given to a writer that stores paths with their
// volume, so each is stored with a single "/" in front.
//
// The settings text is INI text, CRLF line ends, the last line too: per
// picture "[Image<n>]", "Picture=", "Caption=" and an empty line, then
// "[Settings]" with AllowSave, Title and ShowSlide, in that order. A source,
// caption or title that a line cannot carry whole also goes, in hexadecimal,
// under its companion key "PictureHex", "CaptionHex" or "TitleHex"
// (CarriedValue.h). It holds no password: a reader knows a protected picture
// by its entry's encryption.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pictoalbum {

inline const std::string AlbumSettingsEntryName = "pictoview.ini";

// "Image<n>.jpg": the entry name of picture n.
std::string AlbumPictureEntryName(std::int32_t n);

// One picture's lines: its source and its caption as written (scrambled
// when the picture is protected), bytes as they are.
struct TAlbumSettingsPicture {
    std::string Source;
    std::string Caption;
};

struct TAlbumSettingsText {
    std::vector<TAlbumSettingsPicture> Pictures;
    bool AllowSave = true;
    std::string Title;
    bool ShowSlide = false;
};

// The settings file's bytes.
std::string AlbumSettingsFileText(const TAlbumSettingsText& settings);

} // namespace pictoalbum
