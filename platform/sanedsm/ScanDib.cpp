#include "ScanDib.h"

#include <cstddef>
#include <cstdint>

#include "LittleEndian.h"

namespace {

constexpr std::size_t InfoHeaderSize = 40;
constexpr int PixelsPerMetreAt72Dpi = 2835;

} // namespace

HGLOBAL ScanToDib(const ScannedImage& image)
{
    const int bits = image.colour ? 24 : 8;
    const std::size_t colours = image.colour ? 0 : 256;
    const std::size_t stride = (static_cast<std::size_t>(image.width) * bits + 31) / 32 * 4;
    const std::size_t pixelsAt = InfoHeaderSize + colours * 4;
    HGLOBAL block = GlobalAlloc(pixelsAt + stride * static_cast<std::size_t>(image.height));
    auto* dib = static_cast<std::uint8_t*>(GlobalLock(block));
    PutU32(dib + 0, InfoHeaderSize);                           // biSize
    PutU32(dib + 4, static_cast<std::uint32_t>(image.width));  // biWidth
    PutU32(dib + 8, static_cast<std::uint32_t>(image.height)); // biHeight: positive, bottom-up
    PutU16(dib + 12, 1);                                       // biPlanes
    PutU16(dib + 14, static_cast<std::uint16_t>(bits));        // biBitCount
    PutU32(dib + 24, PixelsPerMetreAt72Dpi);                   // biXPelsPerMeter
    PutU32(dib + 28, PixelsPerMetreAt72Dpi);                   // biYPelsPerMeter
    PutU32(dib + 32, static_cast<std::uint32_t>(colours));     // biClrUsed
    for (std::size_t i = 0; i < colours; ++i)
        PutU32(dib + InfoHeaderSize + i * 4, static_cast<std::uint32_t>(i * 0x010101));
    const std::size_t samples = static_cast<std::size_t>(image.width) * (image.colour ? 3 : 1);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* from = image.rows.data() + static_cast<std::size_t>(y) * samples;
        std::uint8_t* to = dib + pixelsAt + static_cast<std::size_t>(image.height - 1 - y) * stride;
        for (std::size_t i = 0; i < samples; i += image.colour ? 3 : 1) {
            if (image.colour) { // the bitmap holds blue, green, red
                to[i] = from[i + 2];
                to[i + 1] = from[i + 1];
                to[i + 2] = from[i];
            } else {
                to[i] = from[i];
            }
        }
    }
    GlobalUnlock(block);
    return block;
}
