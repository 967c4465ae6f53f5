// The shared windows as designed, at each resolution desktops set: the
// slide show's caption and button bars, the splash, and every designed
// caption inside its control.
#include <gtest/gtest.h>

#include "CaptionFit.h"
#include "GuiTestApp.h"
#include "ScreenResolution.h"
#include "SlideShowForm.h"
#include "SplashForm.h"

namespace pictoalbum {

namespace {

// A main window without pictures: the bars need none.
class NoPictures : public TSlideShowHost {
public:
    TImage* SlideCurrentImage() const override { return nullptr; }
    void SetSlideCurrentImage(TImage*) override {}
    int32_t GetXofTImage(const TImage&) const override { return 0; }
    TImage* GetTImageofX(int32_t) const override { return nullptr; }
    int32_t SlidePictureCount() const override { return 0; }
    std::string SlideCaption(int32_t) const override { return ""; }
    void PrintSlide(const TGraphic*, const std::string&) override {}
};

struct SlideShowCase {
    int ppi;
    int buttonBarHeight, captionBarHeight;
    TRect previous, trackBar;
};

const SlideShowCase SlideShowCases[] = {
    {96, 21, 25, Bounds(1, 1, 81, 17), Bounds(360, -8, 206, 25)},
    {120, 26, 31, Bounds(1, 1, 101, 21), Bounds(450, -10, 258, 31)},
    {144, 32, 38, Bounds(2, 2, 122, 26), Bounds(540, -12, 309, 38)},
    {192, 42, 50, Bounds(2, 2, 162, 34), Bounds(720, -16, 412, 50)},
};

struct SplashCase {
    int ppi;
    int clientWidth, clientHeight;
    TRect label;
    int fontHeight;
};

const SplashCase SplashCases[] = {
    {96, 208, 53, Bounds(8, 16, 193, 25), -16},
    {120, 260, 66, Bounds(10, 20, 241, 31), -20},
    {144, 312, 80, Bounds(12, 24, 290, 38), -24},
    {192, 416, 106, Bounds(16, 32, 386, 50), -32},
};

} // namespace

TEST(DesignedWindowsTest, SlideShowBarsAtEachResolution)
{
    TestApplication();
    NoPictures host;
    for (const SlideShowCase& row : SlideShowCases) {
        SCOPED_TRACE(row.ppi);
        ScreenResolution resolution(row.ppi);
        TForm2 form(host);
        EXPECT_EQ(form.Panel1->Height(), row.buttonBarHeight);
        EXPECT_EQ(form.Panel4->Height(), row.captionBarHeight);
        EXPECT_EQ(form.BitBtn8->BoundsRect(), row.previous);
        EXPECT_EQ(form.TrackBar1->BoundsRect(), row.trackBar);
        EXPECT_EQ(form.ScrollBox1->Height(),
                  form.ClientHeight() - row.buttonBarHeight - row.captionBarHeight);
    }
}

TEST(DesignedWindowsTest, SplashAtEachResolution)
{
    TestApplication();
    for (const SplashCase& row : SplashCases) {
        SCOPED_TRACE(row.ppi);
        ScreenResolution resolution(row.ppi);
        TForm5 splash;
        EXPECT_EQ(splash.ClientWidth(), row.clientWidth);
        EXPECT_EQ(splash.ClientHeight(), row.clientHeight);
        EXPECT_EQ(splash.Label1->BoundsRect(), row.label);
        EXPECT_EQ(splash.Label1->Font().Height(), row.fontHeight);
        EXPECT_EQ(splash.Shape1->BoundsRect(), Bounds(0, 0, row.clientWidth, row.clientHeight));
    }
}

TEST(DesignedWindowsTest, EveryDesignedCaptionFitsItsControl)
{
    TestApplication();
    NoPictures host;
    for (int ppi : DesktopResolutions) {
        SCOPED_TRACE(ppi);
        ScreenResolution resolution(ppi);
        TForm2 slides(host);
        TForm5 splash;
        EXPECT_EQ(CaptionsThatDoNotFit(slides), std::vector<std::string>{});
        EXPECT_EQ(CaptionsThatDoNotFit(splash), std::vector<std::string>{});
    }
}

} // namespace pictoalbum
