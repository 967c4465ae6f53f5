#include "AlbumFile.h"

#include "CarriedValue.h"

namespace pictoalbum {

namespace {

const std::string LineEnd = "\r\n";

std::string Flag(bool value)
{
    return value ? "1" : "0";
}

} // namespace

std::string AlbumPictureEntryName(std::int32_t n)
{
    return "Image" + std::to_string(n) + ".jpg";
}

std::string AlbumSettingsFileText(const TAlbumSettingsText& settings)
{
    std::string text;
    for (std::size_t i = 0; i < settings.Pictures.size(); ++i) {
        const TAlbumSettingsPicture& picture = settings.Pictures[i];
        text += "[Image" + std::to_string(i + 1) + "]" + LineEnd;
        // Awkward bytes of a file name or a scrambled caption travel in the
        // companion key: raw, a line break would start a line of its own.
        text += CarriedValueLines("Picture", picture.Source);
        text += CarriedValueLines("Caption", picture.Caption);
        text += LineEnd;
    }
    text += "[Settings]" + LineEnd;
    text += "AllowSave=" + Flag(settings.AllowSave) + LineEnd;
    text += CarriedValueLines("Title", settings.Title);
    text += "ShowSlide=" + Flag(settings.ShowSlide) + LineEnd;
    return text;
}

} // namespace pictoalbum
