#include "FilmStrip.h"

#include <gtest/gtest.h>

namespace pictoview {

namespace {

struct FrameCase {
    int32_t p;
    int ppi;
    TRect film;
    TRect panel;
    TRect lastHole; // Hole4B + p
    int labelLeft;
    int labelTop;
    int labelHeight;
};

const FrameCase FrameCases[] = {
    {1, 96, Bounds(0, 1, 137, 152), Bounds(16, 24, 105, 105), Bounds(117, 134, 10, 10), 16, 155, 41},
    {3, 96, Bounds(270, 1, 137, 152), Bounds(16, 24, 105, 105), Bounds(117, 134, 10, 10), 286, 155, 41},
    {256, 96, Bounds(34425, 1, 137, 152), Bounds(16, 24, 105, 105), Bounds(117, 134, 10, 10), 34441, 155, 41},
    {300, 96, Bounds(40365, 1, 137, 152), Bounds(16, 24, 105, 105), Bounds(117, 134, 10, 10), 40381, 155, 41},
    {1, 120, Bounds(0, 1, 171, 190), Bounds(20, 30, 131, 131), Bounds(146, 168, 12, 12), 20, 193, 51},
    {3, 120, Bounds(338, 1, 171, 190), Bounds(20, 30, 131, 131), Bounds(146, 168, 12, 12), 358, 193, 51},
    {300, 120, Bounds(50456, 1, 171, 190), Bounds(20, 30, 131, 131), Bounds(146, 168, 12, 12), 50476, 193, 51},
};

} // namespace

TEST(FilmStripTest, FramePlacesAt96And120PixelsPerInch)
{
    for (const FrameCase& row : FrameCases) {
        SCOPED_TRACE(testing::Message() << "picture " << row.p << " at " << row.ppi << " ppi");
        const TFilmFramePlace place = FilmFramePlace(row.p, row.ppi);
        EXPECT_EQ(place.Film, row.film);
        EXPECT_EQ(place.Panel, row.panel);
        EXPECT_EQ(place.Holes[1][4], row.lastHole);
        EXPECT_EQ(place.LabelLeft, row.labelLeft);
        EXPECT_EQ(place.LabelTop, row.labelTop);
        EXPECT_EQ(place.LabelHeight, row.labelHeight);
    }
}

TEST(FilmStripTest, HolesAlongBothEdges)
{
    const TFilmFramePlace place = FilmFramePlace(1, 96);
    for (int c = 0; c < HolesPerRow; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(place.Holes[0][c], Bounds(9 + 27 * c, 8, 10, 10));
        EXPECT_EQ(place.Holes[1][c], Bounds(9 + 27 * c, 134, 10, 10));
    }
}

TEST(FilmStripTest, HoleNames)
{
    EXPECT_EQ(HoleName(1, 'B', 12), "Hole1B12");
    EXPECT_EQ(HoleName(0, 'A', 256), "Hole0A256");
}

} // namespace pictoview
