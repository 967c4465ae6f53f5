#include "DibImage.h"

#include <cstdint>
#include <vector>

#include <QByteArray>

#include "LittleEndian.h"

namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t InfoHeaderSize = 40;
constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_BITFIELDS = 3;

const std::uint8_t* At(std::span<const std::byte> bytes, std::size_t at)
{
    return reinterpret_cast<const std::uint8_t*>(bytes.data() + at);
}

// Where the pixels start inside the packed bitmap: after the header, the
// colour masks of a bit-fields bitmap and the colour table.
std::size_t PixelOffset(std::span<const std::byte> dib)
{
    const std::uint32_t headerSize = GetU32(At(dib, 0));
    const std::uint32_t bitCount = GetU16(At(dib, 14));
    const std::uint32_t compression = GetU32(At(dib, 16));
    std::uint64_t colours = GetU32(At(dib, 32));
    if (colours == 0 && bitCount <= 8)
        colours = std::uint64_t{1} << bitCount;
    const std::uint64_t masks = headerSize == InfoHeaderSize && compression == BI_BITFIELDS ? 12 : 0;
    const std::uint64_t offset = headerSize + masks + colours * 4;
    return offset > dib.size() ? 0 : static_cast<std::size_t>(offset);
}

// Uncompressed rows must all be there; Qt's reader would pad missing ones.
bool RowsComplete(std::span<const std::byte> dib, std::size_t pixels)
{
    const auto width = static_cast<std::int32_t>(GetU32(At(dib, 4)));
    const auto height = static_cast<std::int32_t>(GetU32(At(dib, 8)));
    const std::uint32_t bitCount = GetU16(At(dib, 14));
    const std::uint32_t compression = GetU32(At(dib, 16));
    if (compression != BI_RGB && compression != BI_BITFIELDS)
        return true;
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return false;
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    return stride * static_cast<std::uint64_t>(height < 0 ? -height : height) <= dib.size() - pixels;
}

} // namespace

// The bitmap file format is the packed bitmap behind a file header that
// says where the pixels start, so Qt's BMP reader decodes it with all its
// checks.
QImage DibToImage(std::span<const std::byte> dib)
{
    if (dib.size() < InfoHeaderSize || GetU32(At(dib, 0)) < InfoHeaderSize || GetU32(At(dib, 0)) > dib.size())
        return {};
    const std::size_t pixels = PixelOffset(dib);
    if (pixels == 0 || !RowsComplete(dib, pixels))
        return {};
    std::string header("BM", 2);
    AppendU32(header, static_cast<std::uint32_t>(FileHeaderSize + dib.size()));
    AppendU32(header, 0);
    AppendU32(header, static_cast<std::uint32_t>(FileHeaderSize + pixels));
    QByteArray file;
    file.reserve(static_cast<qsizetype>(FileHeaderSize + dib.size()));
    file.append(header.data(), static_cast<qsizetype>(header.size()));
    file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    return QImage::fromData(file, "BMP");
}
