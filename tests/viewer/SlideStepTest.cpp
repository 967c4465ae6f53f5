// The slide-show window over the viewer's strip: stepping round the strip
// with the strip's captions, and printing through the main window as the
// album allows.
#include <memory>

#include <gtest/gtest.h>

#include "AlbumFixture.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "RecordingPrinter.h"
#include "SlideShowForm.h"
#include "TempDir.h"

namespace pictoview {

namespace {

class SlideStepTest : public ::testing::Test {
protected:
    SlideStepTest() { pictoalbum::Form2 = &slides; }
    ~SlideStepTest() override { pictoalbum::Form2 = nullptr; }

    void Open(std::vector<FixturePicture> pictures, const FixtureSettings& settings = {})
    {
        WriteAlbum(dir.File("album.pxa"), pictures, settings);
        form->AlbumFileName = dir.File("album.pxa");
        form->OpenAlbum();
    }

    TApplication& application = TestApplication();
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(std::vector<std::string>{});
    pictoalbum::TForm2 slides{*form};
    TempDir dir;
};

struct StepCase {
    int from;
    bool next;
    int to;
};

} // namespace

TEST_F(SlideStepTest, StepsRoundTheStripWithItsCaptions)
{
    Open({{JpegBytes(41, 30), "One", ""}, {JpegBytes(42, 30), "Two", ""}, {JpegBytes(43, 30), "Three", ""}});
    const char* captions[] = {"", "One", "Two", "Three"};
    const StepCase cases[] = {
        {1, true, 2}, {3, true, 1}, {1, false, 3}, {2, false, 1},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + (c.next ? " next" : " previous"));
        form->CurrentImage = form->GetTImageofX(c.from);
        if (c.next)
            slides.NextClick(slides.BitBtn7);
        else
            slides.PreviousClick(slides.BitBtn8);
        EXPECT_EQ(form->CurrentImage, form->GetTImageofX(c.to));
        EXPECT_EQ(slides.Panel4->Caption(), captions[c.to]);
        EXPECT_EQ(slides.Image1->Picture().Width(), 40 + c.to);
    }
}

TEST_F(SlideStepTest, OnePictureStaysWhereItIs)
{
    Open({{JpegBytes(41, 30), "Only", ""}});
    for (bool next : {true, false}) {
        form->CurrentImage = form->GetTImageofX(1);
        if (next)
            slides.NextClick(slides.BitBtn7);
        else
            slides.PreviousClick(slides.BitBtn8);
        EXPECT_EQ(form->CurrentImage, form->GetTImageofX(1));
        EXPECT_EQ(slides.Panel4->Caption(), "Only");
    }
}

TEST_F(SlideStepTest, ThePrintButtonFollowsAllowSaveAndPrintsTheShownPicture)
{
    for (bool allow : {false, true}) {
        SCOPED_TRACE(allow ? "allowed" : "not allowed");
        form->CloseAlbum();
        Open({{JpegBytes(41, 30), "One", ""}, {JpegBytes(42, 30), "Two", ""}},
             FixtureSettings{.allowSave = allow});
        EXPECT_EQ(slides.BitBtn9->Enabled(), allow);
    }
    RecordingPrinter printer;
    form->CurrentImage = form->GetTImageofX(1);
    slides.NextClick(slides.BitBtn7);
    slides.BitBtn9Click(slides.BitBtn9);
    ASSERT_FALSE(printer.Log.empty());
    EXPECT_EQ(printer.Log.front(), "BeginDoc \"Two\"");
    EXPECT_EQ(printer.Log.back(), "EndDoc");
}

} // namespace pictoview
