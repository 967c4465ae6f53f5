#include "PictureRotation.h"

#include <QPainter>

#include "pictures/Jpeg.h"

namespace pictomake {

namespace {

QImage As24Bit(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB888);
}

// Turns pixel by pixel: target (x, y) takes source (sourceX(x, y), sourceY(x, y)).
template <typename SourceX, typename SourceY>
std::unique_ptr<TBitmap> Turned(const TBitmap& B, SourceX sourceX, SourceY sourceY)
{
    const QImage source = As24Bit(B.Image());
    QImage result(source.height(), source.width(), QImage::Format_RGB888);
    for (int y = result.height() - 1; y >= 0; --y)
        for (int x = result.width() - 1; x >= 0; --x)
            result.setPixel(x, y, source.pixel(sourceX(result, x, y), sourceY(result, x, y)));
    return std::make_unique<TBitmap>(result);
}

// The graphic's own pixels on white, at its own size.
TBitmap PixelsOf(const TGraphic& graphic)
{
    QImage pixels(graphic.Width(), graphic.Height(), QImage::Format_RGB888);
    pixels.fill(Qt::white);
    QPainter painter(&pixels);
    painter.drawImage(0, 0, graphic.ToImage());
    painter.end();
    return TBitmap(pixels);
}

} // namespace

std::unique_ptr<TBitmap> RotateBitmap90(const TBitmap& B)
{
    return Turned(
        B, [](const QImage&, int, int y) { return y; },
        [](const QImage& R, int x, int) { return R.width() - 1 - x; });
}

std::unique_ptr<TBitmap> RotateBitmap270(const TBitmap& B)
{
    return Turned(
        B, [](const QImage& R, int, int y) { return R.height() - 1 - y; },
        [](const QImage&, int x, int) { return x; });
}

std::unique_ptr<TGraphic> TurnedGraphic(const TGraphic& graphic, TQuarterTurn turn)
{
    if (graphic.Empty() || graphic.Width() <= 0 || graphic.Height() <= 0)
        return nullptr;
    const TBitmap drawn = PixelsOf(graphic);
    std::unique_ptr<TBitmap> turned =
        turn == TQuarterTurn::Clockwise ? RotateBitmap90(drawn) : RotateBitmap270(drawn);
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&graphic)) {
        auto result = std::make_unique<TJPEGImage>();
        result->SetCompressionQuality(jpeg->CompressionQuality());
        result->Assign(*turned);
        return result;
    }
    return turned;
}

} // namespace pictomake
