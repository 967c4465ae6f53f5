#include "pictures/Graphics.h"

#include <QPainter>

TColor TCanvas::Pixels(int x, int y) const
{
    const QImage& image = bitmap_.image_;
    if (!image.valid(x, y))
        return -1;
    const QRgb rgb = image.pixel(x, y);
    return static_cast<TColor>(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16));
}

void TCanvas::SetPixels(int x, int y, TColor color)
{
    QImage& image = bitmap_.image_;
    if (!image.valid(x, y))
        return;
    image.setPixel(x, y, qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
    bitmap_.Changed();
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic)
{
    StretchDraw(QRect(x, y, graphic.Width(), graphic.Height()), graphic);
}

void TCanvas::StretchDraw(const QRect& target, const TGraphic& graphic)
{
    if (bitmap_.image_.isNull() || graphic.Empty())
        return;
    {
        QPainter painter(&bitmap_.image_);
        graphic.Draw(painter, target);
    }
    bitmap_.Changed();
}
