// The picture grid's geometry and highlight rule, as pure functions: five
// picture units to a row, each a 105-pixel framed thumbnail with its caption
// edit and check box under it, designed at 96 pixels per inch and placed at
// the window's own resolution. The main window builds its units from these.
#pragma once

#include "screen/Colors.h"
#include "screen/Geometry.h"

namespace pictomake {

inline constexpr int PicturesPerRow = 5;

struct TPictUnitPlace {
    TRect Panel;
    int EditTop = 0;
    int CheckBoxTop = 0;
    bool operator==(const TPictUnitPlace&) const = default;
};

// Where picture n's unit goes at ppi while the grid is scrolled down by
// scrollPosition pixels. Every row, the first included, lands at its place
// in the scrolled grid.
TPictUnitPlace PictUnitPlace(int n, int ppi, int scrollPosition);

// The selection colour from the RGB values of clBtnHighlight and clBtnFace:
// the highlight itself when they differ, else black on white faces and
// white on any other.
TColor HighlightColorOf(TColor buttonHighlight, TColor buttonFace);

} // namespace pictomake
