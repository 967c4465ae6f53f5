#include "SlideShowGeometry.h"

#include <gtest/gtest.h>

namespace pictoalbum {

TEST(SlideShowGeometry, FittingScalesToTheTighterSide)
{
    const struct {
        TSlideSize picture, client, fitted;
    } cases[] = {
        {{100, 80}, {1000, 600}, {750, 600}},  // enlarged: s = 7.5
        {{4000, 3000}, {800, 600}, {800, 600}},
        {{3000, 4000}, {800, 600}, {450, 600}},
        {{1, 1}, {5, 3}, {3, 3}},
        {{3, 2}, {5, 5}, {5, 3}},               // 3.333.. rounds to 3
        {{2, 4}, {5, 5}, {2, 5}},               // 2.5 rounds half to even
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.Width << "x" << c.picture.Height);
        EXPECT_EQ(FittedSize(c.picture, c.client), c.fitted);
    }
}

TEST(SlideShowGeometry, CentringOnlyWhereThePanelFits)
{
    EXPECT_EQ(CentredPosition({750, 600}, {1000, 600}), (TSlidePosition{125, 0}));
    EXPECT_EQ(CentredPosition({1200, 300}, {1000, 600}), (TSlidePosition{0, 150}));
    EXPECT_EQ(CentredPosition({999, 601}, {1000, 600}), (TSlidePosition{0, 0}));
    EXPECT_EQ(CentredPosition({1000, 599}, {1000, 600}), (TSlidePosition{0, 0}));
}

TEST(SlideShowGeometry, ZoomStepsAndTheirLimits)
{
    const TSlideSize picture{100, 80};
    EXPECT_EQ(ZoomedIn({100, 80}, picture), (TSlideSize{150, 120}));
    EXPECT_EQ(ZoomedOut({150, 120}, picture), (TSlideSize{100, 80}));
    // In: only while the height is below 4 x 80; the last step reaches nearly 6 x.
    EXPECT_EQ(ZoomedIn({395, 316}, picture), (TSlideSize{592, 474}));
    EXPECT_EQ(ZoomedIn({400, 320}, picture), (TSlideSize{400, 320}));
    // Out: only while 80 div 8 = 10 is below the height; the last step goes below.
    EXPECT_EQ(ZoomedOut({14, 11}, picture), (TSlideSize{9, 7}));
    EXPECT_EQ(ZoomedOut({12, 10}, picture), (TSlideSize{12, 10}));
    EXPECT_EQ(ZoomedSize(picture, 2.25), (TSlideSize{225, 180}));
}

TEST(SlideShowGeometry, APictureWithoutPixelsHasNoSize)
{
    for (const TSlideSize empty : {TSlideSize{0, 0}, TSlideSize{10, 0}, TSlideSize{0, 10}}) {
        EXPECT_EQ(FittedSize(empty, {800, 600}), std::nullopt);
        EXPECT_EQ(ZoomedSize(empty, 1.5), std::nullopt);
        EXPECT_EQ(ZoomedIn({10, 10}, empty), std::nullopt);
        EXPECT_EQ(ZoomedOut({10, 10}, empty), std::nullopt);
    }
}

} // namespace pictoalbum
