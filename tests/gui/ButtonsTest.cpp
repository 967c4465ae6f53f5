#include "controls/Buttons.h"

#include <functional>

#include <gtest/gtest.h>
#include <QImage>

#include "GuiTestApp.h"
#include "PixelChecks.h"
#include "controls/Forms.h"

namespace {


// A red square with a white bottom-left pixel: white is its transparent colour.
TBitmap RedGlyph(int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.setPixelColor(0, side - 1, Qt::white);
    return TBitmap(image);
}

} // namespace

TEST(ButtonGlyph, GlyphAndCaptionShareTheMiddleOfTheButton)
{
    const QRect area(0, 0, 100, 40);
    const QSize glyph(16, 16);
    const QSize caption(30, 12);
    struct Case {
        const char* what;
        TButtonLayout layout;
        QSize glyph;
        QSize caption;
        QRect glyphAt; // for a part that is there
        QRect captionAt;
    };
    const Case cases[] = {
        {"left", blGlyphLeft, glyph, caption, QRect(25, 12, 16, 16), QRect(45, 14, 30, 12)},
        {"right", blGlyphRight, glyph, caption, QRect(59, 12, 16, 16), QRect(25, 14, 30, 12)},
        {"top", blGlyphTop, glyph, caption, QRect(42, 4, 16, 16), QRect(35, 24, 30, 12)},
        {"bottom", blGlyphBottom, glyph, caption, QRect(42, 20, 16, 16), QRect(35, 4, 30, 12)},
        {"no caption", blGlyphRight, glyph, QSize(), QRect(42, 12, 16, 16), QRect()},
        {"no glyph", blGlyphLeft, QSize(), caption, QRect(), QRect(35, 14, 30, 12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TGlyphPlacement placement = PlaceGlyph(area, c.glyph, c.caption, c.layout, 4);
        if (!c.glyph.isEmpty()) {
            EXPECT_EQ(placement.Glyph, c.glyphAt);
        }
        if (!c.caption.isEmpty()) {
            EXPECT_EQ(placement.Caption, c.captionAt);
        }
    }
}

TEST(ButtonGlyph, TheBottomLeftColourIsTransparent)
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::green);
    image.setPixelColor(0, 1, Qt::magenta);
    image.setPixelColor(2, 0, Qt::magenta);
    const QImage shown = TransparentGlyph(image);
    EXPECT_EQ(qAlpha(shown.pixel(0, 1)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(2, 0)), 0);
    EXPECT_EQ(shown.pixel(1, 0), qRgb(0, 255, 0));
}

class BitBtnTest : public ::testing::Test {
protected:
    BitBtnTest()
    {
        button = NewComponent<TBitBtn>(form);
        button->SetParent(&form);
        button->SetBounds(8, 8, 120, 40);
        button->SetGlyph(RedGlyph(16));
        form.Show();
    }

    QImage Face() const { return button->Widget()->grab().toImage(); }

    TApplication& application = TestApplication(); // before any widget
    TForm form;
    TBitBtn* button;
};

TEST_F(BitBtnTest, TheGlyphSitsOnTheLayoutsSideOfTheCaption)
{
    button->SetCaption("Print");
    struct Case {
        const char* what;
        TButtonLayout layout;
        std::function<bool(QRect glyph, QRect caption)> placed;
    };
    const Case cases[] = {
        {"left", blGlyphLeft, [](QRect g, QRect c) { return g.right() < c.left(); }},
        {"right", blGlyphRight, [](QRect g, QRect c) { return g.left() > c.right(); }},
        {"top", blGlyphTop, [](QRect g, QRect c) { return g.bottom() < c.top(); }},
        {"bottom", blGlyphBottom, [](QRect g, QRect c) { return g.top() > c.bottom(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        button->SetLayout(c.layout);
        const QImage face = Face();
        const QRect glyph = Where(face, IsRed);
        const QRect caption = Where(face, IsDark).intersected(face.rect().adjusted(3, 3, -3, -3)); // not the frame
        EXPECT_EQ(glyph.size(), QSize(16, 16));
        EXPECT_FALSE(caption.isEmpty());
        EXPECT_TRUE(c.placed(glyph, caption));
    }
}

TEST_F(BitBtnTest, AButtonWithoutACaptionShowsItsGlyphInTheMiddle)
{
    const QImage face = Face();
    const QRect glyph = Where(face, IsRed);
    EXPECT_EQ(glyph.size(), QSize(16, 16));
    EXPECT_NEAR(glyph.center().x(), face.width() / 2, 2);
    EXPECT_NEAR(glyph.center().y(), face.height() / 2, 2);
    EXPECT_FALSE(IsRed(face.pixelColor(glyph.bottomLeft()))) << "the transparent corner shows the button";
}

TEST_F(BitBtnTest, TheHintIsATooltipWhenShowHintIsSet)
{
    button->SetHint("Hide TaskBar");
    EXPECT_TRUE(button->Widget()->toolTip().isEmpty());
    button->SetShowHint(true);
    EXPECT_EQ(button->Widget()->toolTip().toStdString(), "Hide TaskBar");
}
