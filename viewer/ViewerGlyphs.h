// The small pictures on the viewer's buttons, and its icon.
#pragma once

#include "pictures/Graphics.h"

namespace pictoview {

enum class TViewerGlyph { Open, Close, Slide };

TBitmap ViewerGlyph(TViewerGlyph glyph);

// The program's own icon, 32 x 32: a strip of film with two pictures.
TBitmap ApplicationIcon();

} // namespace pictoview
