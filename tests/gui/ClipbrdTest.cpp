// The clipboard on Qt's offscreen platform, which keeps it within the process.
#include "pictures/Clipbrd.h"

#include <gtest/gtest.h>

#include "GuiTestApp.h"
#include "pictures/Jpeg.h"

TEST(Clipboard, CarriesAPictureBothWays)
{
    TestApplication();
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(qRgb(10, 200, 30));
    image.setPixel(4, 2, qRgb(250, 0, 0));

    Clipboard().Assign(TBitmap());
    EXPECT_FALSE(Clipboard().HasPicture());
    EXPECT_EQ(Clipboard().Picture(), nullptr);

    TJPEGImage jpeg;
    jpeg.Assign(TBitmap(image));
    Clipboard().Assign(TBitmap(image));
    EXPECT_TRUE(Clipboard().HasPicture());
    const auto bitmap = Clipboard().Picture();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 5);
    EXPECT_EQ(bitmap->Height(), 3);
    EXPECT_EQ(bitmap->Canvas().Pixels(4, 2), 0x0000FA);
    EXPECT_EQ(bitmap->Canvas().Pixels(0, 0), 0x1EC80A);

    Clipboard().Assign(jpeg);
    ASSERT_NE(Clipboard().Picture(), nullptr);
    EXPECT_EQ(Clipboard().Picture()->Width(), 5);
}
