// The thumbnail fit shared by the compiler's picture grid and the viewer's
// film strip: a picture inside a square frame, as a pure function.
#pragma once

#include "screen/Geometry.h"

namespace pictoalbum {

// The thumbnail's bounds inside its panel for a graphic of width x height:
// a picture larger than the frame is shrunk by the smallest whole factor
// that brings its larger side inside the frame; a smaller one keeps its own
// size (never enlarged). Centred across the shorter side.
TRect ThumbnailBounds(int width, int height, int bevelWidth, int clientWidth, int clientHeight);

} // namespace pictoalbum
