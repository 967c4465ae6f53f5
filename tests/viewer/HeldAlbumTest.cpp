// The album that was opened is the one shown for as long as it is open:
// the compiler's save, which renames a new album over it, changes nothing
// the viewer shows or saves; an album rewritten in place is said to have
// changed, never shown as another picture.
#include <filesystem>
#include <memory>

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "AlbumFixture.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "ScriptedDialogs.h"
#include "SlideShowForm.h"
#include "TempDir.h"

namespace pictoview {

namespace {

const std::string Opened = JpegBytes(41, 30);
const std::string Replacing = JpegBytes(77, 50);

class HeldAlbumTest : public ::testing::Test {
protected:
    HeldAlbumTest()
    {
        pictoalbum::Form2 = &slides;
        WriteAlbum(album, {{Opened, "Beach", "", "/home/ann/beach.jpg"}});
        form->AlbumFileName = album;
        form->OpenAlbum();
    }
    ~HeldAlbumTest() override { pictoalbum::Form2 = nullptr; }

    // Another album of one picture, as the compiler writes it.
    std::string OtherAlbum()
    {
        const std::string other = dir.File("other.pxa");
        WriteAlbum(other, {{Replacing, "Hut", "", "/home/bob/hut.jpg"}});
        return ReadFileBytes(other);
    }
    void DoubleClickPicture1()
    {
        QWidget* widget = form->GetTImageofX(1)->Widget();
        const QPointF at = widget->rect().center();
        QMouseEvent click(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &click);
    }
    std::string SavedBytes(const TGraphic& picture)
    {
        TMemoryStream stream;
        const_cast<TGraphic&>(picture).SaveToStream(stream);
        return stream.Text();
    }

    TApplication& application = TestApplication();
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(std::vector<std::string>{});
    pictoalbum::TForm2 slides{*form};
    TempDir dir;
    const std::string album = dir.File("album.pxa");
};

} // namespace

TEST_F(HeldAlbumTest, AnAlbumRenamedOverItShowsAndSavesThePictureOpened)
{
    const std::string saved = dir.File("saved.pxa");
    WriteAlbum(saved, {{Replacing, "Hut", "", "/home/bob/hut.jpg"}});
    std::filesystem::rename(saved, album); // the compiler's save

    ScriptedDialogs dialogs;
    dialogs.ExpectShowModal(slides.Caption(), mrOk, [&](TForm&) {
        ASSERT_NE(slides.Image1->Picture().Graphic(), nullptr);
        EXPECT_TRUE(SavedBytes(*slides.Image1->Picture().Graphic()) == Opened) << "the picture opened";
        EXPECT_EQ(slides.Panel4->Caption(), "Beach");
    });
    DoubleClickPicture1();
    dialogs.Verify();

    const TSavePictureDialog& dialog = *form->SavePictureDialog1;
    dialogs.ExpectSave(dialog.Title, dialog.Filter, dir.File("beach.jpg"));
    form->LoadPicture1Click(form->LoadPicture1);
    dialogs.Verify();
    EXPECT_EQ(dialog.FileName, dir.File("beach.jpg"));
    EXPECT_TRUE(ReadFileBytes(dir.File("beach.jpg")) == Opened) << "the picture opened";
}

TEST_F(HeldAlbumTest, AnAlbumRewrittenInPlaceIsSaidToHaveChanged)
{
    dir.Write("album.pxa", OtherAlbum());
    const std::string changed = "Couldn't Read Picture 1 from " + album +
                                ": the album file has changed since it was opened.";

    ScriptedDialogs dialogs; // the slide show never shows
    dialogs.ExpectMessageBox(application.Title(), changed, IDOK);
    DoubleClickPicture1();
    dialogs.Verify();

    const TSavePictureDialog& dialog = *form->SavePictureDialog1;
    dialogs.ExpectSave(dialog.Title, dialog.Filter, dir.File("beach.jpg"));
    form->CurrentImage = form->GetTImageofX(1);
    EXPECT_THROW(form->LoadPicture1Click(form->LoadPicture1), Exception);
    dialogs.Verify();
    EXPECT_FALSE(std::filesystem::exists(dir.File("beach.jpg")));
}

TEST_F(HeldAlbumTest, ClosingTheAlbumLetsGoOfItsFile)
{
    form->CloseAlbum();
    WriteAlbum(album, {{Replacing, "Hut", "", "/home/bob/hut.jpg"}});
    form->OpenAlbum();
    EXPECT_EQ(form->GetTImageofX(1)->Picture().Width(), 77);
    EXPECT_EQ(form->SlideCaption(1), "Hut");
}

} // namespace pictoview
