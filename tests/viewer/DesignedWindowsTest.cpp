// The viewer's windows as designed, at each resolution desktops set: the
// main window's top bar and strip, the captions under the frames inside the
// strip's visible part, the exit prompt's places, and every designed
// caption inside its control.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "AlbumFixture.h"
#include "CaptionFit.h"
#include "ExitForm.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "ScreenResolution.h"
#include "SlideShowForm.h"
#include "TempDir.h"

namespace pictoview {

namespace {

struct MainWindowCase {
    int ppi;
    int clientWidth, clientHeight, topBarHeight;
    TRect slideShow, topLabel;
};

const MainWindowCase MainWindowCases[] = {
    {96, 633, 257, 41, Bounds(392, 8, 225, 25), Bounds(256, 8, 112, 26)},
    {120, 791, 321, 51, Bounds(490, 10, 281, 31), Bounds(320, 10, 140, 32)},
    {144, 950, 386, 62, Bounds(588, 12, 338, 38), Bounds(384, 12, 168, 39)},
    {192, 1266, 514, 82, Bounds(784, 16, 450, 50), Bounds(512, 16, 224, 52)},
};

struct ExitPromptCase {
    int ppi;
    int clientWidth, clientHeight;
    TRect yes, link;
};

const ExitPromptCase ExitPromptCases[] = {
    {96, 306, 215, Bounds(64, 168, 75, 25), Bounds(8, 88, 289, 13)},
    {120, 382, 269, Bounds(80, 210, 94, 31), Bounds(10, 110, 361, 16)},
    {144, 459, 322, Bounds(96, 252, 112, 38), Bounds(12, 132, 434, 20)},
    {192, 612, 430, Bounds(128, 336, 150, 50), Bounds(16, 176, 578, 26)},
};

} // namespace

TEST(DesignedWindowsTest, MainWindowAtEachResolution)
{
    TestApplication();
    for (const MainWindowCase& row : MainWindowCases) {
        SCOPED_TRACE(row.ppi);
        ScreenResolution resolution(row.ppi);
        TForm1 form(std::vector<std::string>{});
        EXPECT_EQ(form.ClientWidth(), row.clientWidth);
        EXPECT_EQ(form.ClientHeight(), row.clientHeight);
        EXPECT_EQ(form.TopPanel->Height(), row.topBarHeight);
        EXPECT_EQ(form.ScrollBox1->BoundsRect(),
                  Bounds(0, row.topBarHeight, row.clientWidth, row.clientHeight - row.topBarHeight));
        EXPECT_EQ(form.BitBtn2->BoundsRect(), row.slideShow);
        EXPECT_EQ(form.TopLabel->BoundsRect(), row.topLabel);
    }
}

// Six frames are wider than the window, so the strip scrolls sideways; the
// captions stay above its scroll bar.
TEST(DesignedWindowsTest, CaptionsUnderTheFramesStayInSight)
{
    TestApplication();
    TempDir dir;
    std::vector<FixturePicture> pictures;
    for (int n = 1; n <= 6; ++n)
        pictures.push_back({JpegBytes(64, 48), "A caption over two lines " + std::to_string(n), ""});
    WriteAlbum(dir.File("six.pxa"), pictures);
    for (int ppi : DesktopResolutions) {
        SCOPED_TRACE(ppi);
        ScreenResolution resolution(ppi);
        TForm1 form(std::vector<std::string>{dir.File("six.pxa")});
        pictoalbum::TForm2 slides(form);
        pictoalbum::Form2 = &slides;
        form.Show(); // opens the album named
        QCoreApplication::processEvents();
        const TControl* label = dynamic_cast<TControl*>(form.FindComponent("Label6"));
        ASSERT_NE(label, nullptr);
        EXPECT_LT(form.ScrollBox1->ClientHeight(), form.ScrollBox1->Height()) << "the strip scrolls sideways";
        EXPECT_LE(label->Top() + label->Height(), form.ScrollBox1->ClientHeight());
        form.Hide();
        pictoalbum::Form2 = nullptr;
    }
}

TEST(DesignedWindowsTest, ExitPromptAtEachResolution)
{
    TestApplication();
    for (const ExitPromptCase& row : ExitPromptCases) {
        SCOPED_TRACE(row.ppi);
        ScreenResolution resolution(row.ppi);
        TForm3 prompt;
        EXPECT_EQ(prompt.ClientWidth(), row.clientWidth);
        EXPECT_EQ(prompt.ClientHeight(), row.clientHeight);
        EXPECT_EQ(prompt.Button1->BoundsRect(), row.yes);
        EXPECT_EQ(prompt.Label2->BoundsRect(), row.link);
    }
}

TEST(DesignedWindowsTest, EveryDesignedCaptionFitsItsControl)
{
    TestApplication();
    for (int ppi : DesktopResolutions) {
        SCOPED_TRACE(ppi);
        ScreenResolution resolution(ppi);
        TForm1 form(std::vector<std::string>{});
        form.DoCreate(); // the buttons' glyphs
        TForm3 prompt;
        EXPECT_EQ(CaptionsThatDoNotFit(form), std::vector<std::string>{});
        EXPECT_EQ(CaptionsThatDoNotFit(prompt), std::vector<std::string>{});
    }
}

} // namespace pictoview
