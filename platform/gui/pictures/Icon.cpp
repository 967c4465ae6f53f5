#include "pictures/Graphics.h"

#include <algorithm>

#include <QBuffer>
#include <QImageReader>

#include "pictures/StreamBytes.h"

namespace {

// The largest of the icon file's images, or a null image when none reads.
QImage LargestIconImage(const std::vector<std::uint8_t>& bytes)
{
    QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QImage largest;
    const int count = std::max(reader.imageCount(), 1);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (!image.isNull() && image.width() * image.height() > largest.width() * largest.height())
            largest = image;
    }
    return largest;
}

}  // namespace

void TIcon::LoadFromStream(TStream& stream)
{
    auto bytes = ReadToEnd(stream);
    const QImage image = LargestIconImage(bytes);
    if (image.isNull())
        throw EInvalidGraphic("Invalid or damaged icon");
    data_ = std::move(bytes);
    image_ = image;
    Changed();
}

void TIcon::SaveToStream(TStream& stream) { WriteBytes(stream, data_); }

void TIcon::Assign(const TGraphic& source)
{
    const auto* icon = dynamic_cast<const TIcon*>(&source);
    if (!icon)
        AssignError(source);
    data_ = icon->data_;
    image_ = icon->image_;
    Changed();
}

std::unique_ptr<TGraphic> TIcon::Clone() const
{
    auto copy = std::make_unique<TIcon>();
    copy->data_ = data_;
    copy->image_ = image_;
    return copy;
}
