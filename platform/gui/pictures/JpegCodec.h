// The libjpeg calls behind TJPEGImage. libjpeg reports fatal errors through a
// callback that must not return; C++ exceptions must not unwind through its C
// frames, so each call runs inside a small setjmp frame and the error becomes
// an EJPEG once control is back in C++.
#pragma once

#include <cstdint>
#include <vector>

#include <QImage>
#include <QSize>

// The image size from the JPEG header alone.
QSize ReadJpegSize(const std::vector<std::uint8_t>& data);
// Decodes at scale scaleNumerator / 8 (1..8). A stream that ends early
// raises EJPEG as any other damage does.
QImage DecodeJpeg(const std::vector<std::uint8_t>& data, int scaleNumerator);
// Encodes as baseline JPEG (YCbCr, 4:2:0) at quality 1..100.
std::vector<std::uint8_t> EncodeJpeg(const QImage& image, int quality);

// The smallest numerator n (1..8) for which the source decoded at n / 8,
// each side rounded up as libjpeg does, still covers target; 8 when even the
// full size does not.
int JpegScaleNumerator(QSize source, QSize target);
// The size libjpeg produces for source at scaleNumerator / 8.
QSize JpegScaledSize(QSize source, int scaleNumerator);
