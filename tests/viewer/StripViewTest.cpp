// The film strip as a person looks through it: the wheel moves it along,
// and a caption longer than its place shows whole lines.
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>

#include "AlbumFixture.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "PixelChecks.h"
#include "ScriptedDialogs.h"
#include "SlideShowForm.h"
#include "TempDir.h"
#include "WheelTurn.h"

namespace pictoview {

namespace {

class StripViewTest : public ::testing::Test {
protected:
    StripViewTest() { pictoalbum::Form2 = &slides; }
    ~StripViewTest() override { pictoalbum::Form2 = nullptr; }

    void Open(const std::vector<FixturePicture>& pictures)
    {
        WriteAlbum(dir.File("album.pxa"), pictures);
        form->AlbumFileName = dir.File("album.pxa");
        form->Widget()->show(); // as the user sees it, without the start's dialog
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
        ScriptedDialogs dialogs; // the album opens without a word
        form->OpenAlbum();
    }

    TApplication& application = TestApplication();
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(std::vector<std::string>{});
    pictoalbum::TForm2 slides{*form};
    TempDir dir;
};

} // namespace

TEST_F(StripViewTest, TheWheelMovesTheStrip)
{
    std::vector<FixturePicture> pictures;
    for (int n = 1; n <= 255; ++n)
        pictures.push_back({JpegBytes(40, 30), "Picture " + std::to_string(n), ""});
    Open(pictures);
    ASSERT_EQ(form->PictureCount, 255);
    TControlScrollBar& strip = form->ScrollBox1->HorzScrollBar();
    ASSERT_GT(strip.Range(), 30000);
    TurnWheel(*form->ScrollBox1, 1);
    const int once = strip.Position();
    EXPECT_GT(once, 0);
    TurnWheel(*form->ScrollBox1, 3);
    EXPECT_GT(strip.Position(), once);
    TurnWheel(*form->ScrollBox1, -4);
    EXPECT_EQ(strip.Position(), 0) << "turned back, it moves back";
}

TEST_F(StripViewTest, ALongCaptionShowsWholeLinesOnly)
{
    Open({{JpegBytes(40, 30), "one two three four five six seven eight nine ten eleven twelve thirteen fourteen", ""}});
    QWidget& caption = *dynamic_cast<TControl&>(*form->FindComponent("Label1")).Widget();
    const int line = QFontMetrics(caption.font()).height();
    ASSERT_GT(caption.height(), 3 * line) << "the place holds three lines and part of a fourth";
    ASSERT_LT(caption.height(), 4 * line);
    const QRect ink = Where(caption.grab().toImage(), IsDark);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(ink.bottom(), 3 * line) << "nothing of the fourth line";
    EXPECT_GT(ink.bottom(), 2 * line) << "three lines shown";
}

} // namespace pictoview
