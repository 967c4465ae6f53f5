#include "pictures/Graphics.h"

#include <QPainter>

#include "EmfPlayer.h"
#include "InvalidMetafile.h"
#include "WmfPlayer.h"
#include "pictures/StreamBytes.h"

namespace {

QSize CheckedSize(QSize size)
{
    if (size.width() <= 0 || size.height() <= 0)
        throw EInvalidGraphic("Invalid or damaged metafile: its size is empty");
    if (std::int64_t(size.width()) * size.height() > TMetafile::kMaxMetafilePixels)
        throw EInvalidGraphic("Metafile too large to show (" + std::to_string(size.width()) + " x " +
                              std::to_string(size.height()) + " pixels)");
    return size;
}

// The natural size the headers give; the player's error becomes the
// graphic's, with its text.
QSize HeaderSize(const std::vector<std::uint8_t>& bytes, bool enhanced)
{
    try {
        return enhanced ? EmfPixelSize(ReadEmfHeader(bytes)) : WmfPixelSize(bytes, ReadWmfHeader(bytes));
    } catch (const EInvalidMetafile& e) {
        throw EInvalidGraphic(e.what());
    }
}

}  // namespace

void TMetafile::LoadFromStream(TStream& stream)
{
    auto bytes = ReadToEnd(stream);
    const bool enhanced = IsEmf(bytes);
    if (!enhanced && !IsWmf(bytes))
        throw EInvalidGraphic("Invalid or damaged metafile");
    const QSize size = CheckedSize(HeaderSize(bytes, enhanced));
    data_ = std::move(bytes);
    enhanced_ = enhanced;
    width_ = size.width();
    height_ = size.height();
    Changed();
}

void TMetafile::SaveToStream(TStream& stream) { WriteBytes(stream, data_); }

void TMetafile::Assign(const TGraphic& source)
{
    const auto* metafile = dynamic_cast<const TMetafile*>(&source);
    if (!metafile)
        AssignError(source);
    data_ = metafile->data_;
    enhanced_ = metafile->enhanced_;
    width_ = metafile->width_;
    height_ = metafile->height_;
    Changed();
}

std::unique_ptr<TGraphic> TMetafile::Clone() const
{
    auto copy = std::make_unique<TMetafile>();
    copy->Assign(*this);
    return copy;
}

QImage TMetafile::ToImage() const { return Empty() ? QImage() : Render(QSize(width_, height_)); }

QImage TMetafile::PixelsToDraw(const QPainter& painter, const QRect& target) const
{
    const QSize size = DeviceSize(painter, target);
    if (std::int64_t(size.width()) * size.height() > kMaxMetafilePixels)
        return ToImage();
    return Render(size);
}

QImage TMetafile::Render(QSize size) const
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF target(QPointF(0, 0), QSizeF(size));
    if (enhanced_)
        PlayEmf(data_, painter, target);
    else
        PlayWmf(data_, painter, target);
    return image;
}
