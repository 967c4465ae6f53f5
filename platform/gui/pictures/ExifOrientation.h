// The orientation a camera records in a JPEG's Exif data (APP1 segment,
// TIFF tag 0x0112), and the turn or flip that makes its pixels upright.
// Values follow the Exif standard: 1 upright, 2 mirrored, 3 turned half way,
// 4 flipped, 5 transposed, 6 turned a quarter clockwise to be upright,
// 7 transversed, 8 turned a quarter anticlockwise to be upright.
#pragma once

#include <cstdint>
#include <vector>

#include <QImage>
#include <QSize>

// The orientation of the JPEG bytes; 1 when they carry none or a damaged
// one. Reads only within the segments' own lengths.
int ExifOrientation(const std::vector<std::uint8_t>& jpeg);
// Whether the orientation swaps width and height.
bool SwapsSides(int orientation);
QSize UprightSize(QSize stored, int orientation);
// The stored pixels turned and flipped to show upright.
QImage Upright(const QImage& stored, int orientation);
