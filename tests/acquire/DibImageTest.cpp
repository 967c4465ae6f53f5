// Native transfer images: packed device-independent bitmaps of the depths
// scanners deliver, and damaged ones.
#include "DibImage.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace {

void Put(std::vector<std::byte>& bytes, std::size_t at, std::uint32_t value, int length)
{
    for (int i = 0; i < length; ++i)
        bytes[at + i] = static_cast<std::byte>(value >> (8 * i));
}

// A bitmap whose pixel at (0, 0) of the picture, the first byte of the last
// stored row when bottom-up, is given.
std::vector<std::byte> Dib(int bits, int width, int height, int colours)
{
    const int stride = ((width * bits + 31) / 32) * 4;
    std::vector<std::byte> dib(40 + colours * 4 + stride * std::abs(height));
    Put(dib, 0, 40, 4);
    Put(dib, 4, static_cast<std::uint32_t>(width), 4);
    Put(dib, 8, static_cast<std::uint32_t>(height), 4);
    Put(dib, 12, 1, 2);
    Put(dib, 14, static_cast<std::uint32_t>(bits), 2);
    Put(dib, 32, static_cast<std::uint32_t>(colours), 4);
    for (int i = 0; i < colours; ++i)
        Put(dib, 40 + i * 4, static_cast<std::uint32_t>(i * 0x010101), 4);
    return dib;
}

struct DibCase {
    const char* name;
    int bits, width, height, colours;
};

TEST(DibImage, DepthsAndDirectionsGiveThePicturesSize)
{
    const DibCase cases[] = {{"colour", 24, 7, 5, 0},  {"colour top-down", 24, 7, -5, 0},
                             {"grey", 8, 7, 5, 256},   {"grey, table implied", 8, 7, 5, 0},
                             {"line art", 1, 9, 3, 2}, {"32-bit", 32, 4, 4, 0}};
    for (const DibCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image =
            DibToImage(Dib(c.bits, c.width, c.height, c.colours == 0 && c.bits <= 8 ? 256 : c.colours));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(c.width, std::abs(c.height)));
    }
}

TEST(DibImage, DamagedBitmapsGiveNoPicture)
{
    std::vector<std::byte> truncated = Dib(24, 7, 5, 0);
    truncated.resize(60);
    std::vector<std::byte> hugeHeader = Dib(24, 7, 5, 0);
    Put(hugeHeader, 0, 0x7FFFFFFF, 4);
    std::vector<std::byte> hugeTable = Dib(8, 7, 5, 256);
    Put(hugeTable, 32, 0x40000000, 4);
    std::vector<std::byte> tooShort(20);
    for (const std::vector<std::byte>* dib : {&truncated, &hugeHeader, &hugeTable, &tooShort})
        EXPECT_TRUE(DibToImage(*dib).isNull());
}

} // namespace
