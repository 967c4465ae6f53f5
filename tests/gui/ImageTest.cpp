#include "controls/Image.h"

#include <gtest/gtest.h>
#include <QImage>

#include "GuiTestApp.h"
#include "controls/Forms.h"

namespace {

// The image's widget drawn into a white canvas of its size.
QImage Rendered(TImage& image)
{
    QImage shot(image.Width(), image.Height(), QImage::Format_RGB32);
    shot.fill(Qt::white);
    image.Widget()->render(&shot, QPoint(), QRegion(), QWidget::DrawChildren); // no background
    return shot;
}

} // namespace

TEST(Image, StretchFillsTheControlElseTheNaturalSizeShows)
{
    TestApplication();
    TForm form;
    TImage* image = NewComponent<TImage>(form);
    image->SetName("Image1");
    image->SetParent(&form);
    image->SetBounds(1, 1, 40, 20);
    QImage red(4, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    TBitmap bitmap(red);
    image->Picture().SetGraphic(&bitmap);
    EXPECT_EQ(image->Picture().Width(), 4);

    QImage natural = Rendered(*image);
    EXPECT_EQ(natural.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(natural.pixelColor(30, 15), QColor(Qt::white));

    image->SetStretch(true);
    QImage stretched = Rendered(*image);
    EXPECT_EQ(stretched.pixelColor(30, 15), QColor(Qt::red));
    EXPECT_EQ(form.FindComponent("Image1"), image);
}

TEST(Image, AnEmptyPictureDrawsNothing)
{
    TestApplication();
    TForm form;
    TImage* image = NewComponent<TImage>(form);
    image->SetParent(&form);
    image->SetBounds(0, 0, 10, 10);
    image->SetStretch(true);
    EXPECT_EQ(Rendered(*image).pixelColor(5, 5), QColor(Qt::white));
}
