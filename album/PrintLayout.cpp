#include "PrintLayout.h"

#include <algorithm>

namespace pictoalbum {

std::optional<TPrintLayout> LayOutPrint(int pictureWidth, int pictureHeight, int pageWidth, int pageHeight,
                                        int captionWidth, int captionHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return std::nullopt;
    const int textWidth = std::min(captionWidth, pageWidth);
    const float room = static_cast<float>(pageHeight - (captionHeight + 4)); // the height above the caption
    const auto pageW = static_cast<float>(pageWidth);
    float w = static_cast<float>(pictureWidth);
    float h = static_cast<float>(pictureHeight);
    const float ratio = w / h;
    if (pageW > w && room > h) {
        if (w >= h) {
            w = pageW;
            h = w / ratio;
        } else {
            h = room;
            w = h * ratio;
        }
    }
    if (w > pageW) {
        w = pageW;
        h = w / ratio;
    }
    if (h > room) {
        h = room;
        w = h * ratio;
    }
    return TPrintLayout{static_cast<int>(w), static_cast<int>(h),
                        static_cast<int>(pageWidth / 2.0 - textWidth / 2.0), static_cast<int>(h + 4)};
}

} // namespace pictoalbum
