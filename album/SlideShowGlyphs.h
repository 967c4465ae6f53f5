// The small pictures on the slide-show window's buttons.
#pragma once

#include "pictures/Graphics.h"

namespace pictoalbum {

enum class TSlideGlyph { Close, HideBar, ShowBar, Previous, ZoomIn, ZoomOut, Fit, Print, Next };

TBitmap SlideGlyph(TSlideGlyph glyph);

} // namespace pictoalbum
