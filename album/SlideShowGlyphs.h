// The small pictures on the slide-show window's buttons, drawn here so the
// window needs no image files: 16 x 16, dark strokes on a transparent
// ground.
#pragma once

#include "pictures/Graphics.h"

namespace pictoalbum {

enum class TSlideGlyph { Close, HideBar, ShowBar, Previous, ZoomIn, ZoomOut, Fit, Print, Next };

TBitmap SlideGlyph(TSlideGlyph glyph);

} // namespace pictoalbum
