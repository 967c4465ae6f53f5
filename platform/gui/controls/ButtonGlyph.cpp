#include "controls/ButtonGlyph.h"

#include <algorithm>

TGlyphPlacement PlaceGlyph(const QRect& area, QSize glyph, QSize caption, TButtonLayout layout, int spacing)
{
    glyph = glyph.isEmpty() ? QSize(0, 0) : glyph;
    caption = caption.isEmpty() ? QSize(0, 0) : caption;
    const bool both = !glyph.isEmpty() && !caption.isEmpty();
    const int gap = both ? spacing : 0;
    const bool across = layout == blGlyphLeft || layout == blGlyphRight;
    const QSize whole = across ? QSize(glyph.width() + gap + caption.width(), std::max(glyph.height(), caption.height()))
                               : QSize(std::max(glyph.width(), caption.width()), glyph.height() + gap + caption.height());
    const QPoint origin = area.topLeft() + QPoint((area.width() - whole.width()) / 2, (area.height() - whole.height()) / 2);

    // Each part is centred across the direction the two are lined up in.
    auto centredAcross = [&](QSize part) {
        return across ? QPoint(0, (whole.height() - part.height()) / 2) : QPoint((whole.width() - part.width()) / 2, 0);
    };
    const bool glyphFirst = layout == blGlyphLeft || layout == blGlyphTop;
    const QSize first = glyphFirst ? glyph : caption;
    const QPoint secondStart = across ? QPoint(first.width() + gap, 0) : QPoint(0, first.height() + gap);

    TGlyphPlacement placement;
    placement.Glyph = QRect(origin + (glyphFirst ? QPoint() : secondStart) + centredAcross(glyph), glyph);
    placement.Caption = QRect(origin + (glyphFirst ? secondStart : QPoint()) + centredAcross(caption), caption);
    return placement;
}

QImage TransparentGlyph(const QImage& glyph)
{
    if (glyph.isNull())
        return glyph;
    QImage shown = glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = shown.pixel(0, shown.height() - 1);
    for (int y = 0; y < shown.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
        std::replace(line, line + shown.width(), transparent, qRgba(0, 0, 0, 0));
    }
    return shown;
}
