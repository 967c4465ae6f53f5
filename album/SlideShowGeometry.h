// Where the slide-show window puts its picture: fitted to the client area
// (small pictures enlarged as well as large ones shrunk), zoomed by steps of
// 1.5 within limits, and centred while it is smaller than the client area.
// Lengths round half to even. A picture without pixels (no width or height)
// has no fitted or zoomed size: the window shows it blank.
#pragma once

#include <optional>

namespace pictoalbum {

struct TSlideSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TSlideSize&) const = default;
};

struct TSlidePosition {
    int Left = 0;
    int Top = 0;
    bool operator==(const TSlidePosition&) const = default;
};

// The picture's size times zoomFactor.
std::optional<TSlideSize> ZoomedSize(TSlideSize picture, double zoomFactor);
// The picture scaled by the smaller of client height / height and client
// width / width.
std::optional<TSlideSize> FittedSize(TSlideSize picture, TSlideSize client);
// One step in (x 1.5) while the displayed height is below four times the
// picture's; one step out (/ 1.5) while the picture's height div 8 is below
// it. Width and height round separately. Unchanged past the limits.
std::optional<TSlideSize> ZoomedIn(TSlideSize displayed, TSlideSize picture);
std::optional<TSlideSize> ZoomedOut(TSlideSize displayed, TSlideSize picture);
// Centred on each axis where the panel fits the client area, else at 0 on
// that axis so the scroll box scrolls over it.
TSlidePosition CentredPosition(TSlideSize panel, TSlideSize client);

} // namespace pictoalbum
