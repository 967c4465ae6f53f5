#include "screen/Geometry.h"

#include <gtest/gtest.h>

TEST(ScaleByPPI, DesignLengthsAt96And120)
{
    struct Case {
        int v, at96, at120;
    };
    const Case cases[] = {
        {105, 105, 131}, {18, 18, 22}, {24, 24, 30}, {1, 1, 1},   {16, 16, 20},  {0, 0, 0},
        {152, 152, 190}, {120, 120, 150}, {137, 137, 171}, {10, 10, 12}, {7768, 7768, 9710},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(ScaleByPPI(c.v, 96), c.at96);
        EXPECT_EQ(ScaleByPPI(c.v, 120), c.at120);
    }
}

TEST(ScaleByPPI, HalvesGoToTheEvenNeighbour)
{
    // At 120 pixels per inch v becomes 1.25 v: even v with v/2 odd land on a half.
    struct Case {
        int v, at120;
    };
    const Case cases[] = {{2, 2}, {6, 8}, {10, 12}, {14, 18}, {-2, -2}, {-6, -8}, {3, 4}, {-3, -4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(ScaleByPPI(c.v, 120), c.at120);
    }
}

TEST(DivRoundHalfEven, ExactForLargeAndNegativeValues)
{
    struct Case {
        int64_t n, d, expected;
    };
    const Case cases[] = {{5, 2, 2},   {7, 2, 4},   {-5, 2, -2}, {-7, 2, -4}, {1, 3, 0},
                          {2, 3, 1},   {-1, 3, 0},  {-2, 3, -1}, {0, 7, 0},   {int64_t{1} << 40, 2, int64_t{1} << 39}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(DivRoundHalfEven(c.n, c.d), c.expected);
    }
}

TEST(Bounds, RightAndBottomLieJustOutside)
{
    TRect r = Bounds(18, 16, 105, 105);
    EXPECT_EQ(r, (TRect{18, 16, 123, 121}));
    EXPECT_EQ(r.Width(), 105);
    EXPECT_EQ(r.Height(), 105);
}
