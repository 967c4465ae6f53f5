// Device-independent bitmaps inside metafile records: a BITMAPINFO (header
// and colour table) and the pixel bits. They are decoded by Qt's BMP reader
// behind a file header of our own; a damaged header gives a null image.
#pragma once

#include <cstdint>
#include <span>

#include <QImage>

// Bitmaps with more pixels than this are not decoded.
constexpr std::int64_t kMaxDibPixels = std::int64_t(1) << 25;

QImage DibToImage(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits);
// A packed DIB, as plain metafiles hold it: the BITMAPINFO directly followed
// by the bits.
QImage PackedDibToImage(std::span<const std::uint8_t> dib);
