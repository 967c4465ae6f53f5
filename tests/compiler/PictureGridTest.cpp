#include "PictureGrid.h"

#include <gtest/gtest.h>

namespace pictomake {

namespace {

struct PlaceCase {
    int n;
    int ppi;
    int scroll;
    TPictUnitPlace place;
};

TPictUnitPlace Place(int left, int top, int size, int editTop, int checkBoxTop)
{
    return {Bounds(left, top, size, size), editTop, checkBoxTop};
}

const PlaceCase PlaceCases[] = {
    {1, 96, 0, Place(18, 16, 105, 121, 145)},
    {5, 96, 0, Place(498, 16, 105, 121, 145)},
    {6, 96, 0, Place(18, 168, 105, 273, 297)},
    {256, 96, 0, Place(18, 7768, 105, 7873, 7897)},
    {1, 96, 40, Place(18, -24, 105, 81, 105)},
    {5, 96, 40, Place(498, -24, 105, 81, 105)},
    {6, 96, 40, Place(18, 128, 105, 233, 257)},
    {256, 96, 40, Place(18, 7728, 105, 7833, 7857)},
    {1, 120, 0, Place(22, 20, 131, 151, 181)},
    {5, 120, 0, Place(622, 20, 131, 151, 181)},
    {6, 120, 0, Place(22, 210, 131, 341, 371)},
    {256, 120, 0, Place(22, 9710, 131, 9841, 9871)},
    {1, 120, 40, Place(22, -20, 131, 111, 141)},
    {5, 120, 40, Place(622, -20, 131, 111, 141)},
    {6, 120, 40, Place(22, 170, 131, 301, 331)},
    {256, 120, 40, Place(22, 9670, 131, 9801, 9831)},
};

} // namespace

TEST(PictureGridTest, UnitPlacesAt96And120PixelsPerInch)
{
    for (const PlaceCase& row : PlaceCases) {
        SCOPED_TRACE(testing::Message() << "picture " << row.n << " at " << row.ppi << " ppi, scrolled " << row.scroll);
        EXPECT_EQ(PictUnitPlace(row.n, row.ppi, row.scroll), row.place);
    }
}

TEST(PictureGridTest, HighlightColour)
{
    EXPECT_EQ(HighlightColorOf(clWhite, clSilver), clWhite);
    EXPECT_EQ(HighlightColorOf(0x123456, 0xABCDEF), 0x123456);
    EXPECT_EQ(HighlightColorOf(clWhite, clWhite), clBlack);
    EXPECT_EQ(HighlightColorOf(clSilver, clSilver), clWhite);
    EXPECT_EQ(HighlightColorOf(clBlack, clBlack), clWhite);
}

} // namespace pictomake
