#include "ScanDib.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr std::size_t InfoHeaderSize = 40;
constexpr int PixelsPerMetreAt72Dpi = 2835;

void Put(std::uint8_t* at, std::uint32_t value, int length)
{
    for (int i = 0; i < length; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

HGLOBAL ScanToDib(const ScannedImage& image)
{
    const int bits = image.colour ? 24 : 8;
    const std::size_t colours = image.colour ? 0 : 256;
    const std::size_t stride = (static_cast<std::size_t>(image.width) * bits + 31) / 32 * 4;
    const std::size_t pixelsAt = InfoHeaderSize + colours * 4;
    HGLOBAL block = GlobalAlloc(pixelsAt + stride * static_cast<std::size_t>(image.height));
    auto* dib = static_cast<std::uint8_t*>(GlobalLock(block));
    Put(dib + 0, InfoHeaderSize, 4);                           // biSize
    Put(dib + 4, static_cast<std::uint32_t>(image.width), 4);  // biWidth
    Put(dib + 8, static_cast<std::uint32_t>(image.height), 4); // biHeight: positive, bottom-up
    Put(dib + 12, 1, 2);                                       // biPlanes
    Put(dib + 14, static_cast<std::uint32_t>(bits), 2);        // biBitCount
    Put(dib + 24, PixelsPerMetreAt72Dpi, 4);                   // biXPelsPerMeter
    Put(dib + 28, PixelsPerMetreAt72Dpi, 4);                   // biYPelsPerMeter
    Put(dib + 32, static_cast<std::uint32_t>(colours), 4);     // biClrUsed
    for (std::size_t i = 0; i < colours; ++i)
        Put(dib + InfoHeaderSize + i * 4, static_cast<std::uint32_t>(i * 0x010101), 4);
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
