#include "PictureGrid.h"

#include <cstdint>

namespace pictomake {

namespace {

constexpr int PanelSize = 105;
constexpr int FirstRowTop = 16;
constexpr int RowPitch = 152;
constexpr int FirstColumnLeft = 18;
constexpr int ColumnPitch = 120;
constexpr int CheckBoxBelowEdit = 24;

} // namespace

TPictUnitPlace PictUnitPlace(int n, int ppi, int scrollPosition)
{
    const int64_t row = (static_cast<int64_t>(n) - 1) / PicturesPerRow;
    const int64_t column = (static_cast<int64_t>(n) - 1) % PicturesPerRow;
    const int64_t designTop = FirstRowTop + row * RowPitch;
    const int top = static_cast<int>(DivRoundHalfEven(ppi * designTop - 96 * int64_t{scrollPosition}, 96));
    const int left = static_cast<int>(DivRoundHalfEven(ppi * (FirstColumnLeft + column * ColumnPitch), 96));
    const int size = ScaleByPPI(PanelSize, ppi);
    TPictUnitPlace place;
    place.Panel = Bounds(left, top, size, size);
    place.EditTop = top + size;
    place.CheckBoxTop = place.EditTop + ScaleByPPI(CheckBoxBelowEdit, ppi);
    return place;
}

TColor HighlightColorOf(TColor buttonHighlight, TColor buttonFace)
{
    if (buttonHighlight != buttonFace)
        return buttonHighlight;
    return buttonFace == clWhite ? clBlack : clWhite;
}

} // namespace pictomake
