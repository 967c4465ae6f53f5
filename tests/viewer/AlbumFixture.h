// Album files for the viewer's tests, written with our own writer as the
// compiler writes them: the settings text as entry 0 "pictoview.ini", then
// "Image<n>.jpg" for each picture, protected ones encrypted with the album
// password and their captions scrambled with its key word.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Format.h"
#include "KeyWordScrambling.h"
#include "Stream.h"
#include "ZipWriter.h"
#include "pictures/Graphics.h"
#include "pictures/Jpeg.h"

namespace pictoview {

struct FixturePicture {
    std::string bytes;
    std::string caption;
    std::string password; // empty: not protected
    std::string source = "";
};

struct FixtureSettings {
    std::string title = "Trip";
    bool allowSave = true;
    bool showSlide = false;
};

// A JPEG picture width x height, known again by its size.
inline std::string JpegBytes(int width, int height)
{
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    TJPEGImage jpeg;
    jpeg.Assign(bitmap);
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    return stream.Text();
}

inline std::string SettingsText(const std::vector<FixturePicture>& pictures, const FixtureSettings& settings)
{
    std::string text;
    for (std::size_t n = 1; n <= pictures.size(); ++n) {
        const FixturePicture& picture = pictures[n - 1];
        const std::string caption =
            picture.password.empty()
                ? picture.caption
                : pictoalbum::Encrypt(picture.caption, pictoalbum::GetWordPass(picture.password));
        text += "[Image" + std::to_string(n) + "]\r\nPicture=" + picture.source + "\r\nCaption=" + caption +
                "\r\n\r\n";
    }
    text += "[Settings]\r\nAllowSave=" + std::string(settings.allowSave ? "1" : "0") + "\r\nTitle=" + settings.title +
            "\r\nShowSlide=" + std::string(settings.showSlide ? "1" : "0") + "\r\n";
    return text;
}

inline void AddEntry(TZipWriter& writer, const std::string& bytes, const std::string& name, const std::string& password)
{
    TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    writer.Password = password;
    writer.AddStreamEntry(&stream, name);
}

// settingsText nullopt: an album without its settings entry.
inline void WriteAlbum(const std::string& fileName, const std::vector<FixturePicture>& pictures,
                       const std::optional<std::string>& settingsText)
{
    TZipWriter writer;
    writer.SetZipName(fileName);
    if (settingsText)
        AddEntry(writer, *settingsText, "pictoview.ini", "");
    for (std::size_t n = 1; n <= pictures.size(); ++n)
        AddEntry(writer, pictures[n - 1].bytes, "Image" + std::to_string(n) + ".jpg", pictures[n - 1].password);
}

inline void WriteAlbum(const std::string& fileName, const std::vector<FixturePicture>& pictures,
                       const FixtureSettings& settings = {})
{
    WriteAlbum(fileName, pictures, SettingsText(pictures, settings));
}

// The album file with a few bytes of the stored data of the entry named
// changed, so that it no longer passes its CRC check.
inline std::string WithDamagedEntry(std::string album, const std::string& name)
{
    // Its local header comes before its directory entry.
    const std::size_t header = album.rfind("PK\x03\x04", album.find(name));
    const auto field = [&album, header](std::size_t offset) {
        return std::size_t(static_cast<unsigned char>(album[header + offset])) |
               std::size_t(static_cast<unsigned char>(album[header + offset + 1])) << 8;
    };
    const std::size_t data = header + 30 + field(26) + field(28);
    for (std::size_t i = data + 12; i < data + 20 && i < album.size(); ++i)
        album[i] = static_cast<char>(album[i] ^ 0x5A);
    return album;
}

inline std::string WithDamagedPicture(const std::string& album, int n)
{
    return WithDamagedEntry(album, "Image" + std::to_string(n) + ".jpg");
}

// The JPEG decoder's message for bytes that are no picture.
inline std::string DecoderMessage(const std::string& bytes)
{
    TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    try {
        TJPEGImage().LoadFromStream(stream);
    } catch (const Exception& e) {
        return e.what();
    }
    return "";
}

} // namespace pictoview
