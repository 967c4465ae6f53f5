#include "ViewerGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include "GlyphBitmap.h"

namespace pictoview {

namespace {

void DrawFolder(QPainter& painter)
{
    QPainterPath path;
    path.moveTo(1.5, 3.5);
    path.lineTo(6.5, 3.5);
    path.lineTo(8.5, 5.5);
    path.lineTo(14.5, 5.5);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    painter.fillPath(path, QColor(0xF0, 0xC8, 0x50));
    painter.drawPath(path);
}

void DrawCross(QPainter& painter)
{
    painter.drawLine(QPointF(3, 3), QPointF(13, 13));
    painter.drawLine(QPointF(13, 3), QPointF(3, 13));
}

void DrawPlay(QPainter& painter)
{
    QPainterPath path;
    path.moveTo(4, 2);
    path.lineTo(13, 8);
    path.lineTo(4, 14);
    path.closeSubpath();
    painter.fillPath(path, painter.pen().color());
}

void DrawGlyph(QPainter& painter, TViewerGlyph glyph)
{
    switch (glyph) {
    case TViewerGlyph::Open:
        DrawFolder(painter);
        break;
    case TViewerGlyph::Close:
        DrawCross(painter);
        break;
    case TViewerGlyph::Slide:
        DrawPlay(painter);
        break;
    }
}

} // namespace

TBitmap ViewerGlyph(TViewerGlyph glyph)
{
    return pictoalbum::GlyphBitmap([glyph](QPainter& painter) { DrawGlyph(painter, glyph); });
}

TBitmap ApplicationIcon()
{
    constexpr int IconSize = 32;
    QImage image(IconSize, IconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(0, 6, IconSize, 20, QColor(0x30, 0x30, 0x30));
    for (int x = 2; x < IconSize; x += 6) {
        painter.fillRect(x, 8, 3, 2, Qt::white);
        painter.fillRect(x, 22, 3, 2, Qt::white);
    }
    painter.fillRect(3, 11, 12, 10, QColor(0x60, 0xA0, 0xE0));
    painter.fillRect(17, 11, 12, 10, QColor(0x70, 0xC0, 0x70));
    painter.end();
    return TBitmap(image);
}

} // namespace pictoview
