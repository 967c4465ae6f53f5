// Reading a whole picture from the album pumps the message queue: clicks
// that arrive meanwhile must not free or replace what the read works for.
// The slide show is shown modally in its own loop, painted and clicked as
// the user does it; clicks that wait in the queue are posted mouse events.
#include <functional>
#include <memory>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "AlbumFixture.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "ScriptedDialogs.h"
#include "SlideShowForm.h"
#include "TempDir.h"

namespace pictoview {

namespace {

// A click made while the program is busy: handled the next time messages
// are processed.
void PostClick(TControl& control)
{
    QWidget* widget = control.Widget();
    const QPointF at = widget->rect().center();
    const QPointF global = widget->mapToGlobal(at);
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                        Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                        Qt::NoButton, Qt::NoModifier));
}

class PictureReadingTest : public ::testing::Test {
protected:
    PictureReadingTest()
    {
        pictoalbum::Form2 = &slides;
        // Pictures far larger than a thumbnail's small copy, told apart by
        // their widths.
        WriteAlbum(dir.File("album.pxa"), {{JpegBytes(1201, 900), "One", ""},
                                           {JpegBytes(1202, 900), "Two", ""},
                                           {JpegBytes(1203, 900), "Three", ""}});
        form->AlbumFileName = dir.File("album.pxa");
        form->OpenAlbum();
    }
    ~PictureReadingTest() override { pictoalbum::Form2 = nullptr; }

    // Runs during in the slide show's own loop once it is on the screen,
    // then closes it with its close button. A window that has not closed a
    // few seconds on froze: it is closed for the test to go on.
    void WhileShown(std::function<void()> during)
    {
        QTimer::singleShot(10, &timers, [this, during] {
            if (!slides.Visible())
                return WhileShown(during);
            during();
            QTest::mouseClick(slides.BitBtn1->Widget(), Qt::LeftButton);
        });
        QTimer::singleShot(5000, &timers, [this] {
            if (!slides.Visible())
                return;
            ADD_FAILURE() << "the slide show froze";
            slides.Close();
        });
    }
    int ShownNumber() const { return form->GetXofTImage(*form->CurrentImage); }

    TApplication& application = TestApplication();
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(std::vector<std::string>{});
    pictoalbum::TForm2 slides{*form};
    QObject timers; // what the timers of a test run for: they go with it
    TempDir dir;
};

} // namespace

TEST_F(PictureReadingTest, PaintingTheSlideShowHandlesNoWaitingClick)
{
    bool shown = false;
    WhileShown([&] {
        shown = true;
        QTest::mouseClick(slides.BitBtn11->Widget(), Qt::LeftButton); // the button bar
        QTest::mouseClick(slides.BitBtn7->Widget(), Qt::LeftButton);
        PostClick(*slides.BitBtn7);
        slides.Image1->Repaint(); // picture 2, painted for the first time
        EXPECT_EQ(ShownNumber(), 2) << "the paint processed the waiting Next";
        EXPECT_EQ(slides.Image1->Picture().Width(), 1202);
        QCoreApplication::processEvents(); // the Next's turn
        EXPECT_EQ(ShownNumber(), 3);
        EXPECT_EQ(slides.Image1->Picture().Width(), 1203);
    });
    QTest::mouseClick(form->BitBtn2->Widget(), Qt::LeftButton);
    EXPECT_TRUE(shown);
}

TEST_F(PictureReadingTest, ANextClickDuringAStepsReadIsTakenAfterIt)
{
    WhileShown([&] {
        QTest::mouseClick(slides.BitBtn11->Widget(), Qt::LeftButton);
        PostClick(*slides.BitBtn7);
        QTest::mouseClick(slides.BitBtn7->Widget(), Qt::LeftButton);
        EXPECT_EQ(ShownNumber(), 3) << "both steps, the waiting one after the first";
        EXPECT_EQ(slides.Image1->Picture().Width(), 1203);
        EXPECT_EQ(slides.Panel4->Caption(), "Three");
    });
    QTest::mouseClick(form->BitBtn2->Widget(), Qt::LeftButton);
    EXPECT_EQ(ShownNumber(), 3);
}

TEST_F(PictureReadingTest, CloseAlbumClickedWhileASaveReadsThePictureDoesNothing)
{
    form->CurrentImage = form->GetTImageofX(2);
    ScriptedDialogs dialogs;
    const TSavePictureDialog& dialog = *form->SavePictureDialog1;
    dialogs.ExpectSave(dialog.Title, dialog.Filter, dir.File("saved.jpg"));
    PostClick(*form->BitBtn1);
    form->LoadPicture1Click(form->LoadPicture1);
    dialogs.Verify();
    EXPECT_EQ(form->PictureCount, 3) << "the album stays open while its picture is read";
    EXPECT_TRUE(ReadFileBytes(dir.File("saved.jpg")) == JpegBytes(1202, 900)) << "picture 2, saved whole";
}

} // namespace pictoview
