// A JPEG is a chain of segments: a marker (0xFF, code) and, for most codes, a
// big-endian length that counts itself. The Exif segment is APP1 holding
// "Exif\0\0" and then a TIFF structure: byte order ("II" little, "MM" big),
// the number 42, and the offset of the first directory (IFD0), whose 12-byte
// entries are tag, type, count and a 4-byte value field. The orientation is
// a SHORT held in the first two bytes of that field. Segments after the
// start of the scan are image data, so the walk stops there.
#include "pictures/ExifOrientation.h"

#include <algorithm>

#include <QTransform>

namespace {

constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;

// A bounds-checked view of the TIFF structure in its own byte order.
class TiffReader {
public:
    TiffReader(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : data_(data), size_(size), bigEndian_(bigEndian) {}

    bool Has(std::size_t offset, std::size_t count) const { return offset <= size_ && count <= size_ - offset; }
    std::uint16_t U16(std::size_t offset) const
    {
        const std::uint8_t* p = data_ + offset;
        return static_cast<std::uint16_t>(bigEndian_ ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8));
    }
    std::uint32_t U32(std::size_t offset) const
    {
        const std::uint32_t high = U16(offset), low = U16(offset + 2);
        return bigEndian_ ? (high << 16) | low : (low << 16) | high;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    bool bigEndian_;
};

int OrientationInTiff(const std::uint8_t* tiff, std::size_t size)
{
    if (size < 8 || !((tiff[0] == 'I' && tiff[1] == 'I') || (tiff[0] == 'M' && tiff[1] == 'M')))
        return 1;
    const TiffReader reader(tiff, size, tiff[0] == 'M');
    if (reader.U16(2) != 42)
        return 1;
    const std::size_t directory = reader.U32(4);
    if (!reader.Has(directory, 2))
        return 1;
    const std::size_t entries = reader.U16(directory);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        if (!reader.Has(entry, 12))
            return 1;
        if (reader.U16(entry) == kOrientationTag && reader.U16(entry + 2) == kShortType) {
            const int value = reader.U16(entry + 8);
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

bool IsExifSegment(const std::uint8_t* body, std::size_t size)
{
    static const std::uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
    return size >= sizeof kExif && std::equal(kExif, kExif + sizeof kExif, body);
}

}  // namespace

int ExifOrientation(const std::vector<std::uint8_t>& jpeg)
{
    if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return 1;
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF && jpeg[pos + 1] != kStartOfScan) {
        const std::uint8_t code = jpeg[pos + 1];
        const std::size_t length = (jpeg[pos + 2] << 8) | jpeg[pos + 3];
        if (length < 2 || length > jpeg.size() - pos - 2)
            return 1;
        const std::uint8_t* body = jpeg.data() + pos + 4;
        const std::size_t bodySize = length - 2;
        if (code == kApp1 && IsExifSegment(body, bodySize))
            return OrientationInTiff(body + 6, bodySize - 6);
        pos += 2 + length;
    }
    return 1;
}

bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

QSize UprightSize(QSize stored, int orientation) { return SwapsSides(orientation) ? stored.transposed() : stored; }

QImage Upright(const QImage& stored, int orientation)
{
    const QImage quarter = SwapsSides(orientation) ? stored.transformed(QTransform().rotate(90)) : stored;
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return stored.mirrored(true, true);
    case 4:
        return stored.mirrored(false, true);
    case 5:
        return quarter.mirrored(true, false);
    case 6:
        return quarter;
    case 7:
        return quarter.mirrored(false, true);
    case 8:
        return quarter.mirrored(true, true);
    default:
        return stored;
    }
}
