#include "pictures/Graphics.h"

#include <QBuffer>
#include <QImageReader>

#include "pictures/StreamBytes.h"

TBitmap::TBitmap() = default;

TBitmap::TBitmap(const QImage& image) : image_(image) {}

TBitmap::TBitmap(const TBitmap& other) : TGraphic(), image_(other.image_) {}

void TBitmap::SetSize(int width, int height)
{
    const QImage::Format format = image_.isNull() ? QImage::Format_RGB888 : image_.format();
    QImage resized;
    if (width > 0 && height > 0) {
        resized = QImage(width, height, format);
        if (resized.isNull())
            throw EInvalidGraphic("Not enough memory for a bitmap of that size");
        resized.fill(Qt::white);
    }
    image_ = resized;
    Changed();
}

TPixelFormat TBitmap::PixelFormat() const
{
    switch (image_.format()) {
    case QImage::Format_RGB888:
        return pf24bit;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return pf32bit;
    default:
        return pfDevice;
    }
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pfDevice || format == PixelFormat() || image_.isNull())
        return;
    image_ = image_.convertToFormat(format == pf24bit ? QImage::Format_RGB888 : QImage::Format_RGB32);
    Changed();
}

void TBitmap::LoadFromStream(TStream& stream) { LoadWithReader(stream, "BMP"); }

void TBitmap::LoadFromAnyFormat(TStream& stream) { LoadWithReader(stream, nullptr); }

// Qt's readers refuse images above their allocation limit, so a hostile
// header cannot make us allocate a giant bitmap.
void TBitmap::LoadWithReader(TStream& stream, const char* format)
{
    const auto bytes = ReadToEnd(stream);
    QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QImage image = reader.read();
    if (image.isNull())
        throw EInvalidGraphic("Invalid or damaged bitmap");
    image_ = image;
    Changed();
}

void TBitmap::SaveToStream(TStream& stream)
{
    if (image_.isNull())
        return;
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image_.save(&buffer, "BMP"))
        throw EInvalidGraphic("The bitmap could not be written");
    stream.WriteBuffer(encoded.constData(), encoded.size());
}

// Bitmaps take the pixels of every graphic that has pixels.
void TBitmap::Assign(const TGraphic& source)
{
    if (dynamic_cast<const TMetafile*>(&source))
        AssignError(source);
    image_ = source.ToImage();
    Changed();
}

std::unique_ptr<TGraphic> TBitmap::Clone() const { return std::make_unique<TBitmap>(*this); }
