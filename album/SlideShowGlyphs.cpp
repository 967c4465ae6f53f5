#include "SlideShowGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include "GlyphBitmap.h"

namespace pictoalbum {

namespace {

void DrawTriangle(QPainter& painter, QPointF a, QPointF b, QPointF c)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    painter.fillPath(path, painter.pen().color());
}

void DrawMagnifier(QPainter& painter, bool plus)
{
    painter.drawEllipse(QRectF(2, 2, 9, 9));
    painter.drawLine(QPointF(10, 10), QPointF(14, 14));
    painter.drawLine(QPointF(4.5, 6.5), QPointF(8.5, 6.5));
    if (plus)
        painter.drawLine(QPointF(6.5, 4.5), QPointF(6.5, 8.5));
}

void DrawPrinter(QPainter& painter)
{
    painter.drawRect(QRectF(4.5, 1.5, 7, 5));
    painter.drawRect(QRectF(1.5, 6.5, 13, 6));
    painter.fillRect(QRectF(4.5, 10.5, 7, 4), Qt::white);
    painter.drawRect(QRectF(4.5, 10.5, 7, 4));
}

void DrawGlyph(QPainter& painter, TSlideGlyph glyph)
{
    switch (glyph) {
    case TSlideGlyph::Close:
        painter.drawLine(QPointF(3, 3), QPointF(13, 13));
        painter.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case TSlideGlyph::HideBar:
        DrawTriangle(painter, {3, 5}, {13, 5}, {8, 11});
        break;
    case TSlideGlyph::ShowBar:
        DrawTriangle(painter, {3, 11}, {13, 11}, {8, 5});
        break;
    case TSlideGlyph::Previous:
        DrawTriangle(painter, {11, 3}, {11, 13}, {4, 8});
        break;
    case TSlideGlyph::Next:
        DrawTriangle(painter, {5, 3}, {5, 13}, {12, 8});
        break;
    case TSlideGlyph::ZoomIn:
    case TSlideGlyph::ZoomOut:
        DrawMagnifier(painter, glyph == TSlideGlyph::ZoomIn);
        break;
    case TSlideGlyph::Fit:
        painter.drawRect(QRectF(2.5, 3.5, 11, 9));
        DrawTriangle(painter, {5, 6}, {5, 10}, {8, 8});
        DrawTriangle(painter, {11, 6}, {11, 10}, {8, 8});
        break;
    case TSlideGlyph::Print:
        DrawPrinter(painter);
        break;
    }
}

} // namespace

TBitmap SlideGlyph(TSlideGlyph glyph)
{
    return GlyphBitmap([glyph](QPainter& painter) { DrawGlyph(painter, glyph); });
}

} // namespace pictoalbum
