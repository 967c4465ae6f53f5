// The film strip's picture commands: numbers and images, Save Picture As,
// printing, full screen, the slide show, and every command on a locked or
// damaged thumbnail.
#include <memory>

#include <QGuiApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include "AlbumFixture.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "RecordingPrinter.h"
#include "ScriptedDialogs.h"
#include "SlideShowForm.h"
#include "TempDir.h"
#include "pictures/Clipbrd.h"

namespace pictoview {

namespace {

class StripCommandsTest : public ::testing::Test {
protected:
    StripCommandsTest()
    {
        pictoalbum::Form2 = &slides;
        WriteAlbum(dir.File("album.pxa"), {{JpegBytes(41, 30), "Beach", "", "/home/ann/beach.jpg"},
                                           {JpegBytes(42, 30), "Hut", "secret", "/home/ann/hut.jpg"},
                                           {"not a picture", "Rock", "", "/home/ann/rock.jpg"}});
        ScriptedDialogs dialogs;
        dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", std::nullopt);
        dialogs.ExpectMessageBox(application.Title(),
                                 "Couldn't Read Picture 3 from " + dir.File("album.pxa") + ": " +
                                     DecoderMessage("not a picture"),
                                 IDOK);
        form->AlbumFileName = dir.File("album.pxa");
        form->OpenAlbum();
    }
    ~StripCommandsTest() override { pictoalbum::Form2 = nullptr; }

    TApplication& application = TestApplication();
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(std::vector<std::string>{});
    pictoalbum::TForm2 slides{*form};
    TempDir dir;
};

} // namespace

TEST_F(StripCommandsTest, NumbersAndImages)
{
    EXPECT_EQ(form->GetTImageofX(0), nullptr);
    EXPECT_EQ(form->GetTImageofX(4), nullptr);
    ASSERT_NE(form->GetTImageofX(2), nullptr);
    EXPECT_EQ(form->GetXofTImage(*form->GetTImageofX(2)), 2);
    EXPECT_EQ(form->SlideCaption(1), "Beach");
}

TEST_F(StripCommandsTest, SavePictureAsSuggestsItsSourceAndWritesTheJpeg)
{
    form->CurrentImage = form->GetTImageofX(1);
    ScriptedDialogs dialogs;
    const TSavePictureDialog& dialog = *form->SavePictureDialog1;
    dialogs.ExpectSave(dialog.Title, dialog.Filter, std::nullopt);
    form->LoadPicture1Click(form->LoadPicture1);
    EXPECT_EQ(dialog.FileName, "/home/ann/beach.jpg");

    dialogs.ExpectSave(dialog.Title, dialog.Filter, dir.File("copy.bmp"));
    form->LoadPicture1Click(form->LoadPicture1);
    dialogs.Verify();
    EXPECT_EQ(ReadFileBytes(dir.File("copy.bmp")).substr(0, 2), "\xFF\xD8") << "JPEG data whatever the name";
}

// The suggested source file, or any file chosen, is replaced only on Yes;
// No leaves it byte for byte.
TEST_F(StripCommandsTest, SavePictureAsAsksBeforeReplacingAFile)
{
    const std::string bitmap = "BM" + std::string(600, 'x');
    const std::string source = dir.Write("pic.bmp", bitmap);
    const std::string other = dir.Write("other.jpg", "kept");
    WriteAlbum(dir.File("own.pxa"), {{JpegBytes(41, 30), "Pic", "", source}});
    form->CloseAlbum();
    form->AlbumFileName = dir.File("own.pxa");
    form->OpenAlbum();
    const TSavePictureDialog& dialog = *form->SavePictureDialog1;
    const struct {
        const char* name;
        std::string file;
        int answer;
    } cases[] = {
        {"the suggested source, No", source, IDNO},
        {"another file, No", other, IDNO},
        {"another file, Yes", other, IDYES},
        {"the suggested source, Yes", source, IDYES},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = ReadFileBytes(c.file);
        ScriptedDialogs dialogs;
        dialogs.ExpectSave(dialog.Title, dialog.Filter, c.file);
        dialogs.ExpectMessageBox("Replace File?", c.file + " already exists.  Do you want to replace it?", c.answer);
        form->CurrentImage = form->GetTImageofX(1);
        form->LoadPicture1Click(form->LoadPicture1);
        dialogs.Verify();
        EXPECT_EQ(dialog.FileName, c.file);
        if (c.answer == IDNO) {
            EXPECT_EQ(ReadFileBytes(c.file), before);
        } else {
            EXPECT_EQ(ReadFileBytes(c.file).substr(0, 2), "\xFF\xD8") << "the picture's JPEG data";
        }
    }

    // A new name is written without a question.
    ScriptedDialogs dialogs;
    dialogs.ExpectSave(dialog.Title, dialog.Filter, dir.File("new.jpg"));
    form->LoadPicture1Click(form->LoadPicture1);
    dialogs.Verify();
    EXPECT_EQ(ReadFileBytes(dir.File("new.jpg")).substr(0, 2), "\xFF\xD8");
}

TEST_F(StripCommandsTest, PrintsThePictureWithItsCaption)
{
    RecordingPrinter printer;
    form->CurrentImage = form->GetTImageofX(1);
    form->PrintPicture1Click(form->PrintPicture1);
    ASSERT_FALSE(printer.Log.empty());
    EXPECT_EQ(printer.Log.front(), "BeginDoc \"Beach\"");
    EXPECT_EQ(printer.Log.back(), "EndDoc");
}

TEST_F(StripCommandsTest, PrintingFromTheSlideShowUsesItsCaptionBar)
{
    RecordingPrinter printer;
    slides.Image1->Picture().Assign(form->GetTImageofX(1)->Picture());
    slides.Panel4->SetCaption("Shown");
    form->PrintPicture1Click(&slides);
    ASSERT_FALSE(printer.Log.empty());
    EXPECT_EQ(printer.Log.front(), "BeginDoc \"Shown\"");
}

TEST_F(StripCommandsTest, ADoubleClickShowsThePictureWithoutAdvance)
{
    slides.TrackBar1->SetPosition(5);
    ScriptedDialogs dialogs;
    dialogs.ExpectShowModal(slides.Caption(), mrOk, [&](TForm&) {
        EXPECT_EQ(slides.TrackBar1->Position(), 0);
        EXPECT_EQ(slides.Panel4->Caption(), "Beach");
        EXPECT_EQ(slides.Image1->Picture().Width(), 41);
        EXPECT_EQ(slides.WindowState(), wsMaximized);
    });
    form->ShowPicture1Click(form->GetTImageofX(1));
    dialogs.Verify();
    EXPECT_EQ(slides.TrackBar1->Position(), 5);
    EXPECT_EQ(form->CurrentImage, form->GetTImageofX(1));
}

TEST_F(StripCommandsTest, ALockedOrDamagedThumbnailGivesNothingToCopySavePrintOrShow)
{
    for (const int n : {2, 3}) {
        SCOPED_TRACE(n);
        QGuiApplication::clipboard()->clear();
        RecordingPrinter printer;
        ScriptedDialogs dialogs; // any dialog fails the test
        form->CurrentImage = form->GetTImageofX(n);
        form->CopyPicturetoClipboard1Click(form->CopyPicturetoClipboard1);
        form->LoadPicture1Click(form->LoadPicture1);
        form->PrintPicture1Click(form->PrintPicture1);
        form->ShowPicture1Click(form->ShowPicture1);
        form->ShowPicture1Click(form->GetTImageofX(n));
        EXPECT_FALSE(Clipboard().HasPicture());
        EXPECT_TRUE(printer.Log.empty());
    }
}

// The picture menu of a frame without a picture greys what it cannot do;
// a frame with one offers all the album allows.
TEST_F(StripCommandsTest, ALockedOrDamagedFrameGreysItsPictureCommands)
{
    QMenu& menu = *form->PopupMenu1->Items().SubMenu();
    const auto popUpAt = [&](int n) {
        QTest::mousePress(form->GetTImageofX(n)->Widget(), Qt::RightButton, {}, QPoint(5, 5));
        EXPECT_TRUE(menu.isVisible());
        EXPECT_EQ(form->CurrentImage, form->GetTImageofX(n));
        std::vector<bool> enabled;
        for (const TMenuItem* item : {form->CopyPicturetoClipboard1, form->LoadPicture1, form->PrintPicture1,
                                      form->ShowPicture1})
            enabled.push_back(item->Enabled());
        menu.hide();
        return enabled;
    };
    const std::vector<bool> all(4, true), none(4, false);
    EXPECT_EQ(popUpAt(2), none) << "locked";
    EXPECT_EQ(popUpAt(3), none) << "damaged";
    EXPECT_EQ(popUpAt(1), all);
    EXPECT_EQ(popUpAt(3), none);

    form->CloseAlbum();
    WriteAlbum(dir.File("kept.pxa"), {{JpegBytes(41, 30), "Beach", ""}}, {"Kept", false, false});
    form->AlbumFileName = dir.File("kept.pxa");
    form->OpenAlbum();
    EXPECT_EQ(popUpAt(1), (std::vector<bool>{false, false, false, true})) << "an album that forbids saving";
}

// The slide show starts at picture 1 also when it has no picture to show:
// its window shows it blank and steps on to the others.
TEST_F(StripCommandsTest, SlideShowStartsAtALockedFirstPictureShownBlank)
{
    form->CloseAlbum();
    WriteAlbum(dir.File("locked.pxa"),
               {{JpegBytes(41, 30), "Hut", "secret"}, {JpegBytes(42, 30), "Beach", ""}});
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", std::nullopt);
        form->AlbumFileName = dir.File("locked.pxa");
        form->OpenAlbum();
    }
    ScriptedDialogs dialogs;
    dialogs.ExpectShowModal(slides.Caption(), mrOk, [&](TForm&) {
        EXPECT_EQ(slides.Image1->Picture().Graphic(), nullptr);
        EXPECT_EQ(slides.Panel4->Caption(), "");
        slides.NextClick(slides.BitBtn7);
        EXPECT_EQ(slides.Image1->Picture().Width(), 42);
        EXPECT_EQ(slides.Panel4->Caption(), "Beach");
    });
    form->BitBtn2Click(form->BitBtn2);
    dialogs.Verify();
    EXPECT_EQ(form->CurrentImage, form->GetTImageofX(2));
}

TEST_F(StripCommandsTest, SlideShowWithAnEmptyStripDoesNothing)
{
    form->BitBtn1Click(form->BitBtn1);
    ScriptedDialogs dialogs;
    form->BitBtn2Click(form->BitBtn2);
    EXPECT_EQ(form->CurrentImage, nullptr);
}

} // namespace pictoview
