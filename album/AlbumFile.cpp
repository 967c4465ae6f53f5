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
        text += "Picture=" + picture.Source + LineEnd;
        // A scrambled caption's awkward bytes travel in its companion key.
        text += "Caption=" + LineOf(picture.Caption) + LineEnd;
        if (!SurvivesIniValue(picture.Caption))
            text += CompanionKey("Caption") + "=" + HexOf(picture.Caption) + LineEnd;
        text += LineEnd;
    }
    text += "[Settings]" + LineEnd;
    text += "AllowSave=" + Flag(settings.AllowSave) + LineEnd;
    text += "Title=" + settings.Title + LineEnd;
    text += "ShowSlide=" + Flag(settings.ShowSlide) + LineEnd;
    return text;
}

} // namespace pictoalbum
