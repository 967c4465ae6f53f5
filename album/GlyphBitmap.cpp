#include "GlyphBitmap.h"

#include <QImage>
#include <QPen>

namespace pictoalbum {

TBitmap GlyphBitmap(const std::function<void(QPainter&)>& draw)
{
    constexpr int GlyphSize = 16;
    QImage image(GlyphSize, GlyphSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.5));
    draw(painter);
    painter.end();
    return TBitmap(image);
}

} // namespace pictoalbum
