// The pixels of a packed device-independent bitmap, the native image
// transfer's format: an information header, its colour table and the rows
// (bottom-up unless the height is negative), any depth the BMP format
// allows. The bytes come from a scanner's driver and are checked.
#pragma once

#include <cstddef>
#include <span>

#include <QImage>

// A null image when the bytes do not hold a whole, valid bitmap.
QImage DibToImage(std::span<const std::byte> dib);
