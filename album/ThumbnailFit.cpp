#include "ThumbnailFit.h"

namespace pictoalbum {

namespace {

// The smallest whole factor that brings longSide down to frame or below;
// 0 when it fits already.
int ShrinkFactor(int longSide, int frame)
{
    if (frame <= 0 || longSide <= frame)
        return 0;
    return (longSide + frame - 1) / frame;
}

} // namespace

TRect ThumbnailBounds(int width, int height, int bevelWidth, int clientWidth, int clientHeight)
{
    const bool portrait = height > width;
    const int longSide = portrait ? height : width;
    const int factor = ShrinkFactor(longSide, clientHeight - 2 * bevelWidth);
    const int shownWidth = factor > 0 ? width / factor : width;
    const int shownHeight = factor > 0 ? height / factor : height;
    if (portrait)
        return Bounds((clientWidth - shownWidth) / 2 + bevelWidth, bevelWidth, shownWidth, shownHeight);
    return Bounds(bevelWidth, (clientHeight - shownHeight) / 2 + bevelWidth, shownWidth, shownHeight);
}

} // namespace pictoalbum
