// Quarter turns of pictures: the two bitmap turns and the turn of a picture
// of any kind, all without windows.
#pragma once

#include <memory>

#include "pictures/Graphics.h"

namespace pictomake {

// A new 24-bit bitmap holding B turned a quarter turn clockwise: B's pixel
// (u, v) lands at (B.Height - 1 - v, u). Costs one read and one write per pixel.
std::unique_ptr<TBitmap> RotateBitmap90(const TBitmap& B);
// The same turned counter-clockwise: B's pixel (u, v) lands at (v, B.Width - 1 - u).
std::unique_ptr<TBitmap> RotateBitmap270(const TBitmap& B);

enum class TQuarterTurn { Clockwise, CounterClockwise };

// graphic turned a quarter turn, or nullptr when it has no pixels to turn (an
// empty graphic). A JPEG picture stays a JPEG picture holding the turned
// pixels uncompressed, so turns lose nothing until it is saved; it turns its
// upright pixels. Every other kind (bitmap, icon, metafile) becomes a bitmap,
// drawn on white.
std::unique_ptr<TGraphic> TurnedGraphic(const TGraphic& graphic, TQuarterTurn turn);

} // namespace pictomake
