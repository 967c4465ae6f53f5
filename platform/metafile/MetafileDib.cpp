#include "MetafileDib.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "LittleEndian.h"

namespace {

constexpr std::uint32_t kCoreHeaderSize = 12, kInfoHeaderSize = 40;
constexpr std::uint32_t kBitFields = 3;

// The size of the BITMAPINFO (header, masks and colour table) at the start
// of info; nothing when the header is damaged or too large a picture.
std::optional<std::size_t> InfoSize(std::span<const std::uint8_t> info)
{
    if (info.size() < 4)
        return std::nullopt;
    const std::uint32_t headerSize = GetU32(info.data());
    if (headerSize == kCoreHeaderSize && info.size() >= kCoreHeaderSize) {
        const std::int64_t pixels = std::int64_t(GetU16(info.data() + 4)) * GetU16(info.data() + 6);
        const unsigned bitCount = GetU16(info.data() + 10);
        if (pixels > kMaxDibPixels)
            return std::nullopt;
        return kCoreHeaderSize + (bitCount <= 8 ? 3u << bitCount : 0u);
    }
    if (headerSize < kInfoHeaderSize || headerSize > info.size())
        return std::nullopt;
    const std::int64_t width = GetU32(info.data() + 4) & 0x7FFFFFFF;
    const std::int64_t height = std::abs(std::int64_t(static_cast<std::int32_t>(GetU32(info.data() + 8))));
    const unsigned bitCount = GetU16(info.data() + 14);
    const std::uint32_t compression = GetU32(info.data() + 16);
    const std::uint32_t colorsUsed = GetU32(info.data() + 32);
    if (width * height > kMaxDibPixels || colorsUsed > 256)
        return std::nullopt;
    const std::size_t colors = colorsUsed ? colorsUsed : bitCount <= 8 ? 1u << bitCount : 0u;
    const std::size_t masks = headerSize == kInfoHeaderSize && compression == kBitFields ? 12 : 0;
    return headerSize + masks + 4 * colors;
}

}  // namespace

QImage DibToImage(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits)
{
    const auto infoSize = InfoSize(info);
    if (!infoSize || *infoSize > info.size())
        return {};
    constexpr std::size_t kFileHeaderSize = 14;
    std::string file = "BM";
    AppendU32(file, static_cast<std::uint32_t>(kFileHeaderSize + *infoSize + bits.size()));
    AppendU32(file, 0);
    AppendU32(file, static_cast<std::uint32_t>(kFileHeaderSize + *infoSize));
    file.append(reinterpret_cast<const char*>(info.data()), *infoSize);
    file.append(reinterpret_cast<const char*>(bits.data()), bits.size());
    QImage image;
    image.loadFromData(reinterpret_cast<const uchar*>(file.data()), static_cast<int>(file.size()), "BMP");
    return image;
}

QImage PackedDibToImage(std::span<const std::uint8_t> dib)
{
    const auto infoSize = InfoSize(dib);
    if (!infoSize || *infoSize > dib.size())
        return {};
    return DibToImage(dib.first(*infoSize), dib.subspan(*infoSize));
}
