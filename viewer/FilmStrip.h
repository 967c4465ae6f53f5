// The film strip's geometry, as pure functions: one black frame per picture
// with two rows of five sprocket holes, the picture panel between them and
// the caption under the frame. Designed at 96 pixels per inch and placed at
// the window's own resolution; frames are 137 wide but 135 apart, so
// neighbours overlap by two pixels.
#pragma once

#include <cstdint>
#include <string>

#include "screen/Geometry.h"

namespace pictoview {

inline constexpr int HolesPerRow = 5;

// The name of hole column c (0..4) in row 'A' (top) or 'B' (bottom) of
// picture p's frame, e.g. Hole1B12.
std::string HoleName(int column, char row, int32_t p);

struct TFilmFramePlace {
    // In the scroll box.
    TRect Film;
    // In the film frame.
    TRect Holes[2][HolesPerRow];
    TRect Panel;
    // In the scroll box; its width is the panel's client width, taken from
    // the panel once placed.
    int LabelLeft = 0;
    int LabelTop = 0;
    int LabelHeight = 0;
};

// Where picture p's frame and its parts go at ppi.
TFilmFramePlace FilmFramePlace(int32_t p, int ppi);

} // namespace pictoview
