// Printing a picture with its caption: the job as the printer sees it, an
// empty picture refused, a failed drawing still ending the document, and a
// real page printed into a PDF file and looked at.
#include "PicturePrint.h"

#include <QImage>
#include <gtest/gtest.h>

#include "GuiTestApp.h"
#include "PixelChecks.h"
#include "RecordingPrinter.h"
#include "RunCommand.h"
#include "ScriptedDialogs.h"
#include "TempDir.h"
#include "dialogs/Dialogs.h"

namespace pictoalbum {

namespace {

TBitmap Picture(int width, int height, QColor colour = Qt::red)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return TBitmap(image);
}

} // namespace

TEST(PicturePrint, TheJobIsTitledWithTheCaptionAndLaidOut)
{
    TestApplication();
    RecordingPrinter printer(4800, 6600);
    printer.Canvas().FixedTextWidth = 1000;
    printer.Canvas().FixedTextHeight = 100;
    const TBitmap picture = Picture(640, 480);
    PrintPicture(&picture, "Beach");
    EXPECT_EQ(printer.Log, (std::vector<std::string>{"BeginDoc \"Beach\"", "StretchDraw 0,0,4800,3600 640x480",
                                                     "TextOut 1900,3604 \"Beach\"", "EndDoc"}));
}

TEST(PicturePrint, AnEmptyPictureIsRefusedBeforeAnythingPrints)
{
    TestApplication().SetTitle("Pictoria Compiler");
    RecordingPrinter printer;
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria Compiler", "The picture is empty: there is nothing to print.", IDOK);
    dialogs.ExpectMessageBox("Pictoria Compiler", "The picture is empty: there is nothing to print.", IDOK);
    const TBitmap empty;
    PrintPicture(&empty, "Nothing");
    PrintPicture(nullptr, "Nothing");
    EXPECT_TRUE(printer.Log.empty());
}

TEST(PicturePrint, AFailedDrawingStillEndsTheDocument)
{
    TestApplication();
    RecordingPrinter printer;
    printer.Canvas().DrawingFails = true;
    const TBitmap picture = Picture(10, 10);
    EXPECT_THROW(PrintPicture(&picture, "Beach"), EPrinter);
    EXPECT_EQ(printer.Log, (std::vector<std::string>{"BeginDoc \"Beach\"", "EndDoc"}));
    EXPECT_FALSE(printer.Printing());
}

TEST(PicturePrint, APageInAPdfShowsThePictureTopLeftAndTheCaptionBelow)
{
    TestApplication();
    TempDir dir;
    const std::string pdf = dir.File("page.pdf");
    qputenv("PICTORIA_PRINT_PDF", QByteArray::fromStdString(pdf));
    const TBitmap picture = Picture(400, 300);
    PrintPicture(&picture, "A caption under the picture");
    qunsetenv("PICTORIA_PRINT_PDF");
    RunChecked("pdftoppm -png -r 72 -singlefile " + ShellQuote(pdf) + " " + ShellQuote(dir.File("page")));
    const QImage page(QString::fromStdString(dir.File("page.png")));
    ASSERT_FALSE(page.isNull());

    // The page's printable area lies inside its margins: the red picture
    // fills that area's width from its top-left corner, at 4:3.
    const QRect red = Where(page, IsRed);
    ASSERT_FALSE(red.isEmpty());
    EXPECT_LT(red.left(), page.width() / 10);
    EXPECT_LT(red.top(), page.height() / 10);
    EXPECT_NEAR(red.left() + red.right(), page.width(), 3) << "as wide as the printable area";
    EXPECT_NEAR(red.height(), red.width() * 3 / 4, 2);
    // The caption: dark pixels in a band just below it, centred.
    const QImage below = page.copy(0, red.bottom() + 1, page.width(), page.height() - red.bottom() - 1);
    const QRect dark = Where(below, [](QColor c) { return qGray(c.rgb()) < 160; }).translated(0, red.bottom() + 1);
    ASSERT_FALSE(dark.isEmpty());
    EXPECT_LT(dark.top() - red.bottom(), 8);
    EXPECT_LT(dark.height(), 16) << "one line of text, nothing else below the picture";
    EXPECT_NEAR(dark.center().x(), red.center().x(), 3);
}

} // namespace pictoalbum
