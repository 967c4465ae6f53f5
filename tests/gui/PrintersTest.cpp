#include "printing/Printers.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QImage>
#include <QPrinterInfo>

#include "RecordingPrinter.h"
#include "RunCommand.h"
#include "TempDir.h"
#include "GuiTestApp.h"
#include "PixelChecks.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const std::string& value) : name_(name), old_(qgetenv(name))
    {
        had_ = qEnvironmentVariableIsSet(name);
        qputenv(name, QByteArray::fromStdString(value));
    }
    ~EnvironmentVariable()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

TBitmap RedBitmap(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    return TBitmap(image);
}

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EPrinter& e) {
        return e.what();
    }
    return "no EPrinter";
}


} // namespace

TEST(Printer, TheDoubleRecordsTheJobAndStandsInForThePrinter)
{
    TPrinter* real = &Printer();
    {
        RecordingPrinter printer(4800, 6600);
        EXPECT_EQ(&Printer(), &printer);
        printer.Canvas().FixedTextWidth = 300;
        TBitmap picture = RedBitmap(800, 600);
        Printer().SetTitle("Sunset");
        Printer().BeginDoc();
        EXPECT_TRUE(Printer().Printing());
        Printer().Canvas().StretchDraw(QRect(0, 0, 4800, 3600), picture);
        Printer().Canvas().TextOut(2250, 3604, "Sunset");
        EXPECT_EQ(Printer().Canvas().TextWidth("Sunset"), 300);
        EXPECT_EQ(Printer().Canvas().TextHeight("Sunset"), 20);
        EXPECT_EQ(Printer().PageWidth(), 4800);
        EXPECT_EQ(Printer().PageHeight(), 6600);
        Printer().EndDoc();
        EXPECT_FALSE(Printer().Printing());
        EXPECT_EQ(printer.Log, (std::vector<std::string>{"BeginDoc \"Sunset\"", "StretchDraw 0,0,4800,3600 800x600",
                                                         "TextOut 2250,3604 \"Sunset\"", "EndDoc"}));
    }
    EXPECT_EQ(&Printer(), real);
}

TEST(Printer, JobsBeginAndEndInTurn)
{
    RecordingPrinter printer;
    EXPECT_EQ(ErrorOf([&] { printer.EndDoc(); }), "Printer is not currently printing");
    printer.BeginDoc();
    EXPECT_EQ(ErrorOf([&] { printer.BeginDoc(); }), "Printing in progress");
    printer.EndDoc();
    printer.NoPrinter = true;
    EXPECT_EQ(ErrorOf([&] { printer.BeginDoc(); }), "There is no default printer currently selected");
    EXPECT_FALSE(printer.Printing());
}

TEST(Printer, WithoutAPrinterOrAPdfFileBeginDocFails)
{
    TestApplication();
    EnvironmentVariable noPdf("PICTORIA_PRINT_PDF", "");
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a default printer";
    EXPECT_EQ(ErrorOf([] { Printer().BeginDoc(); }), "There is no default printer currently selected");
    EXPECT_FALSE(Printer().Printing());
}

// The page printed to PDF and rendered by poppler at 50 pixels per inch:
// the picture red in the page's top-left quarter, the caption dark below
// it, the rest of the page white.
TEST(Printer, PrintsAPictureAndItsCaptionToAPdfFile)
{
    TestApplication();
    TempDir folder;
    const std::string pdf = (folder.Path() / "print.pdf").string();
    EnvironmentVariable toPdf("PICTORIA_PRINT_PDF", pdf);
    TPrinter& printer = Printer();
    printer.SetTitle("Harbour at dusk");
    printer.BeginDoc();
    const int pageWidth = printer.PageWidth();
    const int pageHeight = printer.PageHeight();
    TPrinterCanvas& canvas = printer.Canvas();
    canvas.Font().SetSize(24);
    const QRect picture(0, 0, pageWidth / 2, pageHeight / 4);
    canvas.StretchDraw(picture, RedBitmap(40, 20));
    canvas.TextOut(0, picture.height() + 4, "Harbour at dusk");
    const int captionWidth = canvas.TextWidth("Harbour at dusk");
    const int captionHeight = canvas.TextHeight("Harbour at dusk");
    printer.EndDoc();

    EXPECT_NE(RunChecked("pdfinfo " + ShellQuote(pdf)).find("Harbour at dusk"), std::string::npos);
    const std::string png = (folder.Path() / "page").string();
    RunChecked("pdftoppm -png -r 50 -singlefile " + ShellQuote(pdf) + " " + ShellQuote(png));
    const QImage page(QString::fromStdString(png + ".png"));
    ASSERT_FALSE(page.isNull());
    const double scale = 50.0 / 1200; // Qt's PDF printer draws at 1200 pixels per inch
    const QRect red = Where(page, IsRed);
    EXPECT_NEAR(red.width(), picture.width() * scale, 2);
    EXPECT_NEAR(red.height(), picture.height() * scale, 2);
    EXPECT_LT(red.left(), page.width() / 10); // within the margin
    EXPECT_LT(red.top(), page.height() / 10);

    const QRect caption(red.left(), red.top() + static_cast<int>((picture.height() + 4) * scale),
                        static_cast<int>(captionWidth * scale), static_cast<int>(captionHeight * scale));
    const QRect dark = Where(page, IsDark);
    EXPECT_TRUE(caption.adjusted(-2, -2, 2, 2).contains(dark)) << "caption box " << caption.x() << "," << caption.y()
                                                               << " " << caption.width() << "x" << caption.height();
    EXPECT_GT(dark.width(), caption.width() / 2);
    EXPECT_GT(dark.height(), caption.height() / 3);

    int stray = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (!IsWhite(page.pixelColor(x, y)) && !red.adjusted(-1, -1, 1, 1).contains(x, y) &&
                !caption.adjusted(-2, -2, 2, 2).contains(x, y))
                ++stray;
    EXPECT_EQ(stray, 0) << "ink outside the picture and its caption";
}
