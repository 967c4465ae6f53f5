#include "AlbumEntryData.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include "HeldPicture.h"
#include "Jpeg.h"
#include "StreamBytes.h"

namespace pictomake {

namespace {

std::vector<std::uint8_t> SavedBytes(TGraphic& graphic)
{
    TMemoryStream stream;
    graphic.SaveToStream(stream);
    stream.Seek(0, soFromBeginning);
    return ReadToEnd(stream);
}

// Transparent pixels (icons) become white rather than JPEG's black.
std::vector<std::uint8_t> ConvertedToJpeg(const QImage& image)
{
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    const TBitmap bitmap(opaque);
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(AlbumJpegQuality);
    jpeg.Assign(bitmap);
    return SavedBytes(jpeg);
}

std::vector<std::uint8_t> PlaceholderJpeg()
{
    return ConvertedToJpeg(THeldPicture(THeldPicture::TReason::Unreadable, "", nullptr).ToImage());
}

} // namespace

TAlbumEntryData AlbumEntryDataOf(TGraphic* graphic)
{
    if (const THeldPicture* held = AsHeldPicture(graphic))
        return held->StoredEntry() ? TAlbumEntryData{{}, held->StoredEntry()} : TAlbumEntryData{PlaceholderJpeg()};
    if (!graphic || graphic->Empty())
        return {PlaceholderJpeg()};
    if (dynamic_cast<TJPEGImage*>(graphic))
        return {SavedBytes(*graphic)};
    return {ConvertedToJpeg(graphic->ToImage())};
}

} // namespace pictomake
