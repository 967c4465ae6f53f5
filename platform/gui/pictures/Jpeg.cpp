#include "pictures/Jpeg.h"

#include <algorithm>

#include <QPainter>

#include "pictures/ExifOrientation.h"
#include "pictures/JpegCodec.h"
#include "pictures/StreamBytes.h"

void TJPEGImage::SetCompressionQuality(int quality) { compressionQuality_ = std::clamp(quality, 1, 100); }

void TJPEGImage::Compress()
{
    if (pixels_.isNull())
        return;
    data_ = EncodeJpeg(pixels_, compressionQuality_);
    orientation_ = 1;
    pixels_ = QImage();
    decoded_ = QImage();
    decodedScale_ = 0;
}

// The smallest decode both checks the whole stream and is the thumbnail a
// large photo needs in the grid.
void TJPEGImage::LoadFromStream(TStream& stream)
{
    auto data = ReadToEnd(stream);
    const int orientation = ExifOrientation(data);
    const QSize size = UprightSize(ReadJpegSize(data), orientation);
    QImage decoded = Upright(DecodeJpeg(data, 1), orientation);
    data_ = std::move(data);
    orientation_ = orientation;
    pixels_ = QImage();
    decoded_ = decoded;
    decodedScale_ = 1;
    width_ = size.width();
    height_ = size.height();
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream)
{
    Compress();
    WriteBytes(stream, data_);
}

std::span<const std::uint8_t> TJPEGImage::Bytes()
{
    Compress();
    return data_;
}

void TJPEGImage::Assign(const TGraphic& source)
{
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source)) {
        data_ = jpeg->data_;
        pixels_ = jpeg->pixels_;
        decoded_ = jpeg->decoded_;
        decodedScale_ = jpeg->decodedScale_;
        orientation_ = jpeg->orientation_;
        width_ = jpeg->width_;
        height_ = jpeg->height_;
        compressionQuality_ = jpeg->compressionQuality_;
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        data_.clear();
        pixels_ = bitmap->Image();
        decoded_ = QImage();
        decodedScale_ = 0;
        orientation_ = 1;
        width_ = pixels_.width();
        height_ = pixels_.height();
    } else {
        AssignError(source);
    }
    Changed();
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const
{
    auto copy = std::make_unique<TJPEGImage>();
    copy->Assign(*this);
    return copy;
}

QImage TJPEGImage::PixelsToDraw(const QPainter& painter, const QRect& target) const
{
    if (!pixels_.isNull())
        return pixels_;
    return PixelsCovering(DeviceSize(painter, target));
}

QImage TJPEGImage::ToImage() const
{
    if (Empty())
        return {};
    if (!pixels_.isNull())
        return pixels_;
    return decodedScale_ == 8 ? decoded_ : DecodeUpright(8);
}

QSize TJPEGImage::DecodedSize() const { return pixels_.isNull() ? decoded_.size() : pixels_.size(); }

// Only the decode for the latest target is kept, so a picture drawn small
// never holds large pixels.
const QImage& TJPEGImage::PixelsCovering(QSize target) const
{
    const QSize stored = UprightSize(QSize(width_, height_), orientation_);
    const int scale = JpegScaleNumerator(stored, UprightSize(target, orientation_));
    if (scale != decodedScale_) {
        decoded_ = DecodeUpright(scale);
        decodedScale_ = scale;
    }
    return decoded_;
}

QImage TJPEGImage::DecodeUpright(int scaleNumerator) const
{
    return Upright(DecodeJpeg(data_, scaleNumerator), orientation_);
}
