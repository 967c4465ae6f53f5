// JPEG pictures, decoded and encoded with libjpeg. A picture loaded from a
// file keeps the file's bytes and saves them again unchanged until it is
// given new pixels; it never holds more decoded pixels than its last drawing
// needed, because it decodes at the smallest libjpeg scale (1/8 to 8/8) that
// still covers the target. A photo whose Exif data says the camera was held
// turned shows upright: its size and pixels are those of the upright picture.
// Damaged data raises EJPEG with libjpeg's own text.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <QImage>
#include <QSize>

#include "pictures/Graphics.h"

class EJPEG : public EInvalidGraphic {
    using EInvalidGraphic::EInvalidGraphic;
};

class TJPEGImage : public TGraphic {
public:
    std::string ClassName() const override { return "TJPEGImage"; }
    bool Empty() const override { return width_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }

    // 1..100, used when new pixels are compressed; 90 by default.
    int CompressionQuality() const { return compressionQuality_; }
    void SetCompressionQuality(int quality);
    // Encodes pixels taken from a bitmap now, so the picture holds JPEG
    // bytes again and lets go of its full-size pixels.
    void Compress();

    // Reads and checks the whole JPEG stream (decoding at the smallest scale).
    void LoadFromStream(TStream& stream) override;
    // The original bytes when unchanged; otherwise compresses first.
    void SaveToStream(TStream& stream) override;
    // The bytes SaveToStream writes, without a copy; valid until the picture
    // changes.
    std::span<const std::uint8_t> Bytes();
    // Takes another JPEG picture or a bitmap's pixels.
    void Assign(const TGraphic& source) override;
    std::unique_ptr<TGraphic> Clone() const override;
    QImage ToImage() const override;

    // The size of the pixels held decoded at the moment (empty when none).
    QSize DecodedSize() const;

protected:
    // Held pixels as they are; JPEG bytes decoded at the smallest scale that
    // covers the target's device pixels.
    QImage PixelsToDraw(const QPainter& painter, const QRect& target) const override;

private:
    const QImage& PixelsCovering(QSize target) const;
    QImage DecodeUpright(int scaleNumerator) const;

    std::vector<std::uint8_t> data_;  // the JPEG bytes, current unless pixels_ is set
    QImage pixels_;                   // full-size pixels not yet compressed
    mutable QImage decoded_;          // data_ decoded at decodedScale_ / 8
    mutable int decodedScale_ = 0;
    int orientation_ = 1;             // Exif orientation of data_
    int width_ = 0;                   // upright size
    int height_ = 0;
    int compressionQuality_ = 90;
};
