// The frame every button glyph of the programs is drawn in: 16 x 16, dark
// strokes on a transparent ground, so the windows need no image files.
#pragma once

#include <functional>

#include <QPainter>

#include "pictures/Graphics.h"

namespace pictoalbum {

TBitmap GlyphBitmap(const std::function<void(QPainter&)>& draw);

} // namespace pictoalbum
