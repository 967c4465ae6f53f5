// The slide-show window driven as its programs drive it: a host main window
// of pictures, fitting and zooming in a known client area, stepping with
// wrap-around, the speed and the timer, the button bar, and printing.
#include "SlideShowForm.h"

#include <cmath>
#include <memory>
#include <vector>

#include <QTest>
#include <gtest/gtest.h>

#include "GuiTestApp.h"
#include "RecordingPrinter.h"
#include "ScriptedDialogs.h"

// Failures name the rectangle's place and size.
static void PrintTo(const TRect& rect, std::ostream* out)
{
    *out << rect.Width() << " x " << rect.Height() << " at " << rect.Left << ", " << rect.Top;
}

namespace pictoalbum {

namespace {

// A main window of count pictures, picture n being size(n) and captioned
// "caption n"; it records what it is asked to print.
class PictureHost : public TSlideShowHost {
public:
    PictureHost(int count, TSlideSize (*size)(int))
    {
        for (int n = 1; n <= count; ++n) {
            TImage* image = NewComponent<TImage>(owner);
            TBitmap bitmap;
            bitmap.SetSize(size(n).Width, size(n).Height);
            image->Picture().SetGraphic(&bitmap);
            images.push_back(image);
        }
        current = images.front();
    }

    TImage* SlideCurrentImage() const override { return current; }
    void SetSlideCurrentImage(TImage* image) override { current = image; }
    int32_t GetXofTImage(const TImage& image) const override
    {
        for (std::size_t i = 0; i < images.size(); ++i)
            if (images[i] == &image)
                return static_cast<int32_t>(i + 1);
        return 0;
    }
    TImage* GetTImageofX(int32_t n) const override { return images.at(n - 1); }
    int32_t SlidePictureCount() const override { return static_cast<int32_t>(images.size()); }
    std::string SlideCaption(int32_t n) const override { return "caption " + std::to_string(n); }
    void PrintSlide(const TGraphic* picture, const std::string& caption) override
    {
        printed.push_back(caption + (picture ? "" : " (no picture)"));
    }

    TForm owner;
    std::vector<TImage*> images;
    TImage* current = nullptr;
    std::vector<std::string> printed;
};

TSlideSize HundredByEighty(int)
{
    return {100, 80};
}

// The window showing picture 1 as its main window shows it, activated, with
// the picture's scroll box width x height (the button bar hidden).
class SlideShowTest : public ::testing::Test {
protected:
    explicit SlideShowTest(int count = 3, TSlideSize (*size)(int) = HundredByEighty) : host(count, size) {}

    void Show(int width = 1000, int height = 600)
    {
        form.Image1->Picture().Assign(host.images.front()->Picture());
        form.Panel4->SetCaption(host.SlideCaption(1));
        form.SetClientWidth(width);
        form.SetClientHeight(height + form.Panel4->Height());
        form.FormActivate(nullptr);
        ASSERT_EQ(form.ScrollBox1->ClientWidth(), width);
        ASSERT_EQ(form.ScrollBox1->ClientHeight(), height);
    }
    TRect Shown() const { return form.Panel2->BoundsRect(); }
    int Current() const { return host.GetXofTImage(*host.current); }

    TApplication& application = TestApplication();
    PictureHost host;
    TForm2 form{host};
};

TSlideSize GrowingPictures(int n)
{
    return {100 + n, 80 + n};
}

} // namespace

TEST_F(SlideShowTest, EachShowingStartsFittedWithTheButtonBarHiddenAndTheTimerRunning)
{
    Show();
    EXPECT_EQ(Shown(), Bounds(125, 0, 750, 600)); // s = 7.5
    EXPECT_EQ(form.ZoomFactor(), 0);
    EXPECT_FALSE(form.Panel1->Visible());
    EXPECT_TRUE(form.BitBtn11->Visible());
    EXPECT_FALSE(form.BitBtn10->Visible());
    EXPECT_TRUE(form.Timer1->Enabled());
    EXPECT_EQ(form.Timer1->Interval(), 10000);
    EXPECT_EQ(form.TrackBar1->Hint(), "Slide Speed = 10 (0 is off)");

    form.ZoomInClick(nullptr);
    form.BitBtn11Click(nullptr);
    form.FormActivate(nullptr);
    EXPECT_EQ(Shown(), Bounds(125, 0, 750, 600));
    EXPECT_FALSE(form.Panel1->Visible());
}

TEST_F(SlideShowTest, ZoomStepsCarryToTheNextPictureUntilFull)
{
    Show(200, 100); // fitted at 125 x 100
    form.ZoomInClick(nullptr);
    form.ZoomInClick(nullptr);
    EXPECT_EQ(Shown(), Bounds(0, 0, 282, 225)) << "larger than the client area: from its top-left corner";
    EXPECT_EQ(form.ZoomFactor(), 225.0 / 80);
    form.NextClick(nullptr);
    EXPECT_EQ(Current(), 2);
    EXPECT_EQ(Shown().Height(), 225);
    form.BitBtn3Click(nullptr);
    EXPECT_EQ(form.ZoomFactor(), 0);
    EXPECT_EQ(Shown(), Bounds(37, 0, 125, 100));
}

TEST_F(SlideShowTest, ZoomStopsAtItsLimitsButTakesTheFactor)
{
    Show(100, 80); // fitted at its own size
    for (int step = 0; step < 10; ++step)
        form.ZoomInClick(nullptr);
    EXPECT_EQ(Shown().Height(), 405); // 80, 120, 180, 270, 405: the last step from below 4 x 80
    EXPECT_EQ(form.ZoomFactor(), 405.0 / 80);
    for (int step = 0; step < 20; ++step)
        form.ZoomOutClick(nullptr);
    EXPECT_EQ(Shown().Height(), 10); // 80 div 8 = 10 is no longer below it
}

TEST_F(SlideShowTest, HidingTheButtonBarGivesThePictureItsHeight)
{
    Show(1000, 600);
    form.BitBtn11Click(nullptr);
    EXPECT_TRUE(form.Panel1->Visible());
    EXPECT_EQ(Shown().Height(), 600 - form.Panel1->Height());
    form.BitBtn10Click(nullptr);
    EXPECT_EQ(Shown().Height(), 600);
}

TEST(SlideShowSteps, NextAndPreviousWrapAround)
{
    TestApplication();
    const struct {
        int count, from, next, previous;
    } cases[] = {
        {1, 1, 1, 1}, {2, 1, 2, 2}, {2, 2, 1, 1}, {300, 255, 256, 254}, {300, 300, 1, 299}, {300, 1, 2, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " of " << c.count);
        PictureHost host(c.count, GrowingPictures);
        TForm2 form(host);
        host.current = host.GetTImageofX(c.from);
        form.NextClick(nullptr);
        EXPECT_EQ(host.GetXofTImage(*host.current), c.next);
        EXPECT_EQ(form.Panel4->Caption(), "caption " + std::to_string(c.next));
        EXPECT_EQ(form.Image1->Picture().Width(), 100 + c.next);
        host.current = host.GetTImageofX(c.from);
        form.PreviousClick(nullptr);
        EXPECT_EQ(host.GetXofTImage(*host.current), c.previous);
    }
}

TEST_F(SlideShowTest, TheTrackBarSetsTheSpeedAndTheTimerSteps)
{
    Show();
    QTest::keyClick(form.TrackBar1->Widget(), Qt::Key_Left); // the user's move
    EXPECT_EQ(form.TrackBar1->Position(), 9);
    EXPECT_EQ(form.Timer1->Interval(), 9000);
    form.TrackBar1->SetPosition(3);
    EXPECT_EQ(form.TrackBar1->Hint(), "Slide Speed = 3 (0 is off)");
    EXPECT_EQ(form.Timer1->Interval(), 3000);
    EXPECT_TRUE(form.Timer1->Active());
    form.Timer1->Timer();
    EXPECT_EQ(Current(), 2);
    form.TrackBar1->SetPosition(0);
    EXPECT_EQ(form.Timer1->Interval(), 0);
    EXPECT_TRUE(form.Timer1->Enabled());
    EXPECT_FALSE(form.Timer1->Active()) << "0 is off";
}

TEST_F(SlideShowTest, TheTimerStopsWhenTheWindowGoes)
{
    Show();
    form.OnDeactivate(nullptr);
    EXPECT_FALSE(form.Timer1->Active());
    form.FormActivate(nullptr);
    EXPECT_TRUE(form.Timer1->Active());
    // Closed by the close button or the system, while shown modally.
    QTimer::singleShot(0, [this] { QTest::mouseClick(form.BitBtn1->Widget(), Qt::LeftButton); });
    form.ExecuteModalLoop();
    EXPECT_FALSE(form.Timer1->Enabled());
    EXPECT_FALSE(form.Visible());
}

TEST_F(SlideShowTest, EscapeLeavesTheShowAsItsCloseButtonDoes)
{
    Show();
    QTimer::singleShot(0, [this] { QTest::keyClick(form.Widget(), Qt::Key_Escape); });
    form.ExecuteModalLoop();
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Timer1->Enabled());
}

TEST_F(SlideShowTest, APictureWithoutPixelsShowsBlankAndDoesNotZoom)
{
    Show();
    TBitmap empty;
    form.Image1->Picture().SetGraphic(&empty);
    form.BitBtn3Click(nullptr);
    EXPECT_EQ(Shown().Width(), 0);
    EXPECT_EQ(Shown().Height(), 0);
    form.ZoomInClick(nullptr);
    form.ZoomOutClick(nullptr);
    EXPECT_EQ(form.ZoomFactor(), 0);
    EXPECT_EQ(Shown().Height(), 0);
}

TEST_F(SlideShowTest, PrintGoesToTheMainWindowWithTheCaption)
{
    Show();
    QTest::mouseClick(form.BitBtn9->Widget(), Qt::LeftButton);
    form.Image1->Picture().SetGraphic(nullptr);
    form.BitBtn9Click(nullptr);
    EXPECT_EQ(host.printed, (std::vector<std::string>{"caption 1", "caption 1 (no picture)"}));
}

// The window as its main window shows it: maximised on the screen over the
// main window, picture 1 in it, activated by the window system. The scroll
// box fills the window above the caption bar, without scroll bars while the
// picture does not reach beyond it.
class ShownSlideShowTest : public ::testing::Test {
protected:
    static TSlideSize Sizes(int n)
    {
        const TSlideSize sizes[] = {{400, 200}, {80, 60}, {442, 419}};
        return sizes[n - 1];
    }

    ShownSlideShowTest() : host(3, Sizes) {}
    ~ShownSlideShowTest() override
    {
        form.Hide();
        host.owner.Hide();
    }

    void Show()
    {
        if (!host.owner.Visible()) {
            host.owner.Show();
            ASSERT_TRUE(QTest::qWaitForWindowActive(host.owner.Widget()));
        }
        form.Image1->Picture().Assign(host.current->Picture());
        form.Panel4->SetCaption(host.SlideCaption(Current()));
        form.SetWindowState(wsMaximized);
        form.Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    }
    static void Click(TControl* control)
    {
        ASSERT_TRUE(control->Widget()->isVisible());
        QTest::mouseClick(control->Widget(), Qt::LeftButton);
        QCoreApplication::processEvents(); // as between a person's clicks
    }
    // The whole area for the picture: the window's client height less the
    // bars shown below the scroll box.
    TSlideSize Area() const
    {
        const int bars = form.Panel4->Height() + (form.Panel1->Visible() ? form.Panel1->Height() : 0);
        return {form.ClientWidth(), form.ClientHeight() - bars};
    }
    // Where a panel of this size sits centred in the whole area.
    TRect Centred(TSlideSize size) const
    {
        return Bounds((Area().Width - size.Width) / 2, (Area().Height - size.Height) / 2, size.Width, size.Height);
    }
    // Width over height: the 400 x 200 picture fills the area's width.
    TRect FittedFirst() const { return Centred({Area().Width, Area().Width / 2}); }
    // A picture of this size at the zoom in force.
    TSlideSize Zoomed(TSlideSize picture) const
    {
        return {static_cast<int>(std::nearbyint(picture.Width * form.ZoomFactor())),
                static_cast<int>(std::nearbyint(picture.Height * form.ZoomFactor()))};
    }
    TRect Shown() const { return form.Panel2->BoundsRect(); }
    int Current() const { return host.GetXofTImage(*host.current); }

    TApplication& application = TestApplication();
    PictureHost host;
    TForm2 form{host};
};

TEST_F(ShownSlideShowTest, FullAfterAZoomBeyondTheWindowFitsTheWholeArea)
{
    Show();
    Click(form.BitBtn11);
    ASSERT_LT(Area().Width / 2, Area().Height) << "the width limits the fit";
    EXPECT_EQ(Shown(), FittedFirst());
    Click(form.BitBtn4);
    Click(form.BitBtn4);
    ASSERT_GT(Shown().Width(), Area().Width) << "scrolled";
    Click(form.BitBtn3);
    EXPECT_EQ(Shown(), FittedFirst());
    EXPECT_EQ(form.ScrollBox1->ClientWidth(), Area().Width) << "no scroll bar left";
    EXPECT_EQ(form.ScrollBox1->ClientHeight(), Area().Height);
}

TEST_F(ShownSlideShowTest, ASmallPictureAfterAZoomBeyondTheWindowIsCentredInTheWholeArea)
{
    Show();
    Click(form.BitBtn11);
    Click(form.BitBtn4);
    ASSERT_GT(Shown().Width(), Area().Width) << "scrolled";
    Click(form.BitBtn7);
    EXPECT_EQ(Current(), 2);
    EXPECT_EQ(Shown(), Centred(Zoomed({80, 60})));
}

// Where the small picture stood, the next one would reach beyond the window
// and call for scroll bars that it does not need once centred.
TEST_F(ShownSlideShowTest, APictureThatFitsOnlyOnceCentredIsCentredInTheWholeArea)
{
    Show();
    Click(form.BitBtn11);
    Click(form.BitBtn5);
    const TSlideSize size = Zoomed({442, 419});
    ASSERT_GT(Shown().Top + size.Height, Area().Height) << "beyond the window where the last one stands";
    ASSERT_LE(size.Height, Area().Height);
    Click(form.BitBtn8);
    EXPECT_EQ(Current(), 3);
    EXPECT_EQ(Shown(), Centred(size));
}

TEST_F(ShownSlideShowTest, EveryShowingStartsFittedToTheWholeArea)
{
    Show();
    EXPECT_EQ(Shown(), FittedFirst());
    Click(form.BitBtn11);
    Click(form.BitBtn4);
    Click(form.BitBtn4);
    Click(form.BitBtn1);
    ASSERT_FALSE(form.Visible());
    // The window system hands the activation back to the main window.
    host.owner.Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.owner.Widget()));
    Show();
    EXPECT_FALSE(form.Panel1->Visible());
    EXPECT_EQ(form.ZoomFactor(), 0);
    EXPECT_EQ(Shown(), FittedFirst());
}

TEST(SlideShowDesign, ButtonsCarryTheirHintsAndGlyphs)
{
    TestApplication();
    PictureHost host(1, HundredByEighty);
    TForm2 form(host);
    const struct {
        TBitBtn* button;
        const char* caption;
        const char* hint;
    } buttons[] = {
        {form.BitBtn1, "", "Close"},          {form.BitBtn10, "", "Hide TaskBar"},
        {form.BitBtn11, "", "Show TaskBar"},  {form.BitBtn8, "&Previous", "Previous Picture"},
        {form.BitBtn4, " &In", "Zoom In"},    {form.BitBtn5, "&Out", "Zoom Out"},
        {form.BitBtn3, "&Full", "Fit to Screen"}, {form.BitBtn9, "P&rint", "Print Picture"},
        {form.BitBtn7, "&Next", "Next Picture"},
    };
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.hint);
        EXPECT_EQ(b.button->Caption(), b.caption);
        EXPECT_EQ(b.button->Hint(), b.hint);
        EXPECT_TRUE(b.button->ShowHint());
        EXPECT_EQ(b.button->Glyph().Width(), 16);
    }
    EXPECT_EQ(form.BitBtn7->Layout(), blGlyphRight);
    EXPECT_EQ(form.TrackBar1->Max(), 20);
    EXPECT_EQ(form.TrackBar1->Position(), 10);
    EXPECT_EQ(form.BorderStyle(), bsNone);
}

} // namespace pictoalbum
