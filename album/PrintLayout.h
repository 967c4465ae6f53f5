// The picture-printing layout of both programs: the picture as large as the
// page allows above a line for its caption, enlarged to the page's width
// (landscape and square) or to the height left above the caption (portrait),
// then shrunk until it fits both ways, drawn from the top-left corner; the
// caption centred 4 pixels below it. The arithmetic is single precision,
// as albums have always printed; a picture without pixels cannot be laid
// out.
#pragma once

#include <optional>

namespace pictoalbum {

struct TPrintLayout {
    // The picture's rectangle from (0, 0).
    int PictureWidth = 0;
    int PictureHeight = 0;
    // Where the caption's top-left corner goes.
    int CaptionX = 0;
    int CaptionY = 0;
    bool operator==(const TPrintLayout&) const = default;
};

std::optional<TPrintLayout> LayOutPrint(int pictureWidth, int pictureHeight, int pageWidth, int pageHeight,
                                        int captionWidth, int captionHeight);

} // namespace pictoalbum
