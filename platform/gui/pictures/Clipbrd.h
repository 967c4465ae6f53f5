// The clipboard as the programs use it: one picture at a time, exchanged as
// the desktop clipboard's image.
#pragma once

#include <memory>

#include "pictures/Graphics.h"

class TClipboard {
public:
    // Whether the clipboard holds an image.
    bool HasPicture() const;
    // Puts the graphic's pixels on the clipboard, replacing what was there;
    // an empty graphic clears the clipboard.
    void Assign(const TGraphic& graphic);
    // The clipboard's image as a new bitmap, or nullptr when it holds none.
    std::unique_ptr<TBitmap> Picture() const;
};

// The one clipboard of the application (needs the QApplication).
TClipboard& Clipboard();
