#include "AlbumEntryData.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include "HeldPicture.h"
#include "pictures/Jpeg.h"

namespace pictomake {

namespace {

// Transparent pixels (icons) become white rather than JPEG's black.
std::vector<std::uint8_t> ConvertedToJpeg(const QImage& image)
{
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(AlbumJpegQuality);
    jpeg.Assign(TBitmap(opaque));
    const std::span<const std::uint8_t> bytes = jpeg.Bytes();
    return {bytes.begin(), bytes.end()};
}

TAlbumEntryData Converted(const QImage& image)
{
    TAlbumEntryData data;
    data.Converted = ConvertedToJpeg(image);
    data.Jpeg = data.Converted;
    return data;
}

QImage Placeholder()
{
    return THeldPicture(THeldPicture::TReason::Unreadable, "", nullptr).ToImage();
}

} // namespace

TAlbumEntryData AlbumEntryDataOf(TGraphic* graphic)
{
    if (const THeldPicture* held = AsHeldPicture(graphic)) {
        if (!held->StoredEntry())
            return Converted(Placeholder());
        TAlbumEntryData data;
        data.Stored = held->StoredEntry();
        return data;
    }
    if (!graphic || graphic->Empty())
        return Converted(Placeholder());
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic)) {
        TAlbumEntryData data;
        data.Jpeg = jpeg->Bytes();
        return data;
    }
    return Converted(graphic->ToImage());
}

} // namespace pictomake
