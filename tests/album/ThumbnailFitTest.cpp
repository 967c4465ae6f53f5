#include "ThumbnailFit.h"

#include <gtest/gtest.h>

namespace pictoalbum {

namespace {

struct FitCase {
    int width;
    int height;
    TRect bounds;
};

// In the 105-pixel panel of both programs (bevel 1, a 103-pixel frame).
const FitCase FitCases[] = {
    {100, 50, Bounds(1, 28, 100, 50)},    {50, 100, Bounds(28, 1, 50, 100)},
    {90, 60, Bounds(1, 23, 90, 60)},      {103, 103, Bounds(1, 2, 103, 103)},
    {1, 1, Bounds(1, 53, 1, 1)},
    // Larger than the frame: the smallest whole factor that fits it.
    {104, 50, Bounds(1, 41, 52, 25)},     {200, 150, Bounds(1, 16, 100, 75)},
    {206, 100, Bounds(1, 28, 103, 50)},   {207, 100, Bounds(1, 37, 69, 33)},
    {640, 480, Bounds(1, 19, 91, 68)},    {480, 640, Bounds(19, 1, 68, 91)},
    {2000, 1000, Bounds(1, 28, 100, 50)},
};

} // namespace

TEST(ThumbnailFitTest, ThumbnailsFitInsideTheFrame)
{
    for (const FitCase& row : FitCases) {
        SCOPED_TRACE(testing::Message() << row.width << " x " << row.height);
        const TRect bounds = ThumbnailBounds(row.width, row.height, 1, 105, 105);
        EXPECT_EQ(bounds, row.bounds);
        EXPECT_LE(bounds.Width(), 103);
        EXPECT_LE(bounds.Height(), 103);
    }
}

TEST(ThumbnailFitTest, AFrameWithNoRoomLeavesThePictureItsSize)
{
    EXPECT_EQ(ThumbnailBounds(40, 20, 1, 2, 2), Bounds(1, -8, 40, 20));
}

} // namespace pictoalbum
