// A bit button's glyph: the picture beside its caption. As on Windows, the
// colour of the glyph's bottom-left pixel is transparent, and glyph and
// caption sit together in the middle of the button, Spacing pixels apart,
// the glyph on the side the layout names.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The spacing of a new bit button.
inline constexpr int DefaultGlyphSpacing = 4;

struct TGlyphPlacement {
    QRect Glyph;
    QRect Caption;
};

// Places a glyph and a caption of the given sizes in area; an empty size
// (no glyph, no caption) takes no room and no spacing.
TGlyphPlacement PlaceGlyph(const QRect& area, QSize glyph, QSize caption, TButtonLayout layout, int spacing);

// The glyph as shown: its bottom-left pixel's colour made transparent.
QImage TransparentGlyph(const QImage& glyph);
