// Showing pictures in the slide-show window from the compiler's grid: one
// picture by a double click or "Show as Slide", without automatic advance;
// the album from its first picture by "Slide Show"; printing from it.
#include <QTest>
#include <gtest/gtest.h>

#include "GridForm.h"
#include "RecordingPrinter.h"

namespace pictomake {

namespace {

class SlideShowCommandsTest : public ::testing::Test {
protected:
    pictoalbum::TForm2& slides = grid.slideShow.slides;
    GridForm grid{5};
};

} // namespace

TEST_F(SlideShowCommandsTest, ADoubleClickShowsThatPictureWithoutAdvancing)
{
    ScriptedDialogs dialogs;
    dialogs.ExpectShowModal("", mrCancel, [&](TForm&) {
        EXPECT_EQ(slides.Image1->Picture().Width(), 43);
        EXPECT_EQ(slides.Panel4->Caption(), "caption 3");
        EXPECT_EQ(slides.WindowState(), wsMaximized);
        EXPECT_EQ(slides.TrackBar1->Position(), 0);
        EXPECT_EQ(slides.Timer1->Interval(), 0);
        slides.NextClick(nullptr);
    });
    const QPoint centre = grid.Image(3).Widget()->rect().center();
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, centre, grid.Image(3).Widget()->mapToGlobal(centre),
                            Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(grid.Image(3).Widget(), &doubleClick);
    dialogs.Verify();
    EXPECT_EQ(slides.TrackBar1->Position(), 10) << "the user's speed back";
    EXPECT_EQ(grid.Selected(), (std::set<int>{3}));
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(4)) << "the window's step moved the current picture";
}

TEST_F(SlideShowCommandsTest, ShowAsSlideShowsTheCurrentPicture)
{
    grid.form.CurrentImage = &grid.Image(2);
    ScriptedDialogs dialogs;
    dialogs.ExpectShowModal("", mrCancel, [&](TForm&) { EXPECT_EQ(slides.Panel4->Caption(), "caption 2"); });
    grid.form.ShowPicture1->Click();
}

TEST_F(SlideShowCommandsTest, SlideShowStartsAtTheFirstPictureAtTheUsersSpeed)
{
    slides.TrackBar1->SetPosition(4);
    ScriptedDialogs dialogs;
    dialogs.ExpectShowModal("", mrCancel, [&](TForm&) {
        EXPECT_EQ(slides.Image1->Picture().Width(), 41);
        EXPECT_EQ(slides.Panel4->Caption(), "caption 1");
        EXPECT_EQ(slides.TrackBar1->Position(), 4);
    });
    QTest::mouseClick(grid.form.BitBtn2->Widget(), Qt::LeftButton);
    dialogs.Verify();
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(1));
    EXPECT_EQ(grid.Selected(), (std::set<int>{5})) << "the selection stays";
}

TEST_F(SlideShowCommandsTest, PrintPrintsTheShownPictureWithItsCaption)
{
    RecordingPrinter printer(4800, 6600);
    ScriptedDialogs dialogs;
    dialogs.ExpectShowModal("", mrCancel, [&](TForm&) { slides.BitBtn9->Click(); });
    grid.form.BitBtn2->Click();
    ASSERT_EQ(printer.Log.size(), 4u);
    EXPECT_EQ(printer.Log[0], "BeginDoc \"caption 1\"");
    EXPECT_EQ(printer.Log[1], "StretchDraw 0,0,4800,3512 41x30");
    EXPECT_EQ(printer.Log[3], "EndDoc");
}

TEST(SlideShowCommands, SlideShowOnAnEmptyAlbumDoesNothing)
{
    GridForm grid{0};
    ScriptedDialogs dialogs; // no window may show
    grid.form.BitBtn2->Click();
}

TEST(SlideShowCommands, APictureWithoutPixelsIsNotShown)
{
    GridForm grid{2};
    grid.Image(1).Picture().SetGraphic(nullptr);
    grid.Image(2).Picture().SetGraphic(nullptr);
    ScriptedDialogs dialogs; // no window may show
    grid.form.ShowPicture(&grid.Image(2));
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(2));
    EXPECT_EQ(grid.Selected(), std::set<int>{2});
    grid.form.BitBtn2->Click();
}

} // namespace pictomake
