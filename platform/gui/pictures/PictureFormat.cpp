#include "pictures/PictureFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "EmfPlayer.h"
#include "LittleEndian.h"
#include "WmfPlayer.h"

namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view signature, std::size_t at = 0)
{
    return bytes.size() >= at + signature.size() &&
           std::equal(signature.begin(), signature.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char expected, std::uint8_t byte) { return static_cast<std::uint8_t>(expected) == byte; });
}

// "BM" alone begins too many texts: the info header's size must be one of
// the known ones too.
bool IsBmp(std::span<const std::uint8_t> bytes)
{
    if (!StartsWith(bytes, "BM") || bytes.size() < 18)
        return false;
    const std::uint32_t infoSize = GetU32(bytes.data() + 14);
    constexpr std::array<std::uint32_t, 7> known = {12, 40, 52, 56, 64, 108, 124};
    return std::find(known.begin(), known.end(), infoSize) != known.end();
}

// Reserved 0, type 1 (an icon), at least one image.
bool IsIco(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= 6 && GetU16(bytes.data()) == 0 && GetU16(bytes.data() + 2) == 1 &&
           GetU16(bytes.data() + 4) > 0;
}

bool IsQtBitmap(std::span<const std::uint8_t> bytes)
{
    using namespace std::string_view_literals;
    return StartsWith(bytes, "\x89PNG\r\n\x1A\n"sv) || StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a") ||
           StartsWith(bytes, "II*\0"sv) || StartsWith(bytes, "MM\0*"sv) ||
           (StartsWith(bytes, "RIFF") && StartsWith(bytes, "WEBP", 8));
}

} // namespace

std::optional<TPictureFormat> PictureFormatOf(std::span<const std::uint8_t> head)
{
    if (StartsWith(head, "\xFF\xD8\xFF"))
        return TPictureFormat::Jpeg;
    if (IsBmp(head))
        return TPictureFormat::Bitmap;
    if (IsIco(head))
        return TPictureFormat::Icon;
    if (IsEmf(head) || IsWmf(head))
        return TPictureFormat::Metafile;
    if (IsQtBitmap(head))
        return TPictureFormat::QtBitmap;
    return std::nullopt;
}

std::optional<TPictureFormat> PictureFormatOfExtension(const std::string& extension)
{
    std::string lower = extension;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == ".jpg" || lower == ".jpeg")
        return TPictureFormat::Jpeg;
    if (lower == ".bmp")
        return TPictureFormat::Bitmap;
    if (lower == ".ico")
        return TPictureFormat::Icon;
    if (lower == ".emf" || lower == ".wmf")
        return TPictureFormat::Metafile;
    for (const char* known : {".png", ".gif", ".tif", ".tiff", ".webp"})
        if (lower == known)
            return TPictureFormat::QtBitmap;
    return std::nullopt;
}
