#include "FilmStrip.h"

namespace pictoview {

namespace {

constexpr int FramePitch = 135;
constexpr int FilmTop = 1;
constexpr int FilmWidth = 137;
constexpr int FilmHeight = 152;
constexpr int HoleLeft = 9;
constexpr int HolePitch = 27;
constexpr int HoleTop = 8;
constexpr int HoleRowPitch = 126;
constexpr int HoleSize = 10;
constexpr int PanelLeft = 16;
constexpr int PanelTop = 24;
constexpr int PanelSize = 105;
constexpr int LabelBelowFilm = 2;
constexpr int LabelHeight = 41;

// A design length that may pass the 32-bit range before scaling (frames of
// very long albums).
int Scaled(int64_t v, int ppi)
{
    return static_cast<int>(DivRoundHalfEven(ppi * v, 96));
}

} // namespace

std::string HoleName(int column, char row, int32_t p)
{
    return "Hole" + std::to_string(column) + row + std::to_string(p);
}

TFilmFramePlace FilmFramePlace(int32_t p, int ppi)
{
    const int64_t designLeft = (int64_t{p} - 1) * FramePitch;
    TFilmFramePlace place;
    place.Film = Bounds(Scaled(designLeft, ppi), Scaled(FilmTop, ppi), Scaled(FilmWidth, ppi),
                        Scaled(FilmHeight, ppi));
    for (int row = 0; row < 2; ++row)
        for (int c = 0; c < HolesPerRow; ++c)
            place.Holes[row][c] = Bounds(Scaled(HoleLeft + HolePitch * c, ppi), Scaled(HoleTop + HoleRowPitch * row, ppi),
                                         Scaled(HoleSize, ppi), Scaled(HoleSize, ppi));
    place.Panel = Bounds(Scaled(PanelLeft, ppi), Scaled(PanelTop, ppi), Scaled(PanelSize, ppi), Scaled(PanelSize, ppi));
    place.LabelLeft = Scaled(designLeft + PanelLeft, ppi);
    // The frame's placed top and height, so the caption sits right under it.
    place.LabelTop = place.Film.Top + place.Film.Height() + Scaled(LabelBelowFilm, ppi);
    place.LabelHeight = Scaled(LabelHeight, ppi);
    return place;
}

} // namespace pictoview
