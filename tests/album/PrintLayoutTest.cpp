#include "PrintLayout.h"

#include <gtest/gtest.h>

namespace pictoalbum {

TEST(PrintLayout, PicturesFillThePageAboveTheirCaption)
{
    // A page of 4800 x 6600 with a caption 1000 wide and 100 high.
    const struct {
        int width, height;
        TPrintLayout layout;
    } cases[] = {
        {640, 480, {4800, 3600, 1900, 3604}},   // landscape: to the page's width
        {480, 640, {4800, 6400, 1900, 6404}},   // portrait: to the room, then back to the width
        {10000, 5000, {4800, 2400, 1900, 2404}}, // shrunk to the width
        {4800, 100, {4800, 100, 1900, 104}},    // the page is not wider: kept
        {100, 20000, {32, 6496, 1900, 6500}},   // shrunk to the room above the caption
        {1000, 1000, {4800, 4800, 1900, 4804}},  // square: as landscape
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        EXPECT_EQ(LayOutPrint(c.width, c.height, 4800, 6600, 1000, 100), c.layout);
    }
}

TEST(PrintLayout, ACaptionWiderThanThePageStartsAtItsLeftEdge)
{
    EXPECT_EQ(LayOutPrint(640, 480, 4800, 6600, 9000, 100)->CaptionX, 0);
}

TEST(PrintLayout, APictureWithoutPixelsIsNotLaidOut)
{
    EXPECT_EQ(LayOutPrint(0, 480, 4800, 6600, 100, 100), std::nullopt);
    EXPECT_EQ(LayOutPrint(640, 0, 4800, 6600, 100, 100), std::nullopt);
}

} // namespace pictoalbum
