// What the compiler writes into an album's settings file for a picture whose
// file name no Windows program could have made: the viewer reads the album's
// own settings and the whole name, whatever the name holds.
#include <memory>

#include <gtest/gtest.h>

#include "AlbumFile.h"
#include "AlbumFixture.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "ScriptedDialogs.h"
#include "SlideShowForm.h"
#include "TempDir.h"

namespace pictoview {

namespace {

class AlbumNamesTest : public ::testing::Test {
protected:
    AlbumNamesTest() { pictoalbum::Form2 = &slides; }
    ~AlbumNamesTest() override { pictoalbum::Form2 = nullptr; }

    TApplication& application = TestApplication();
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(std::vector<std::string>{});
    pictoalbum::TForm2 slides{*form};
    TempDir dir;
};

} // namespace

TEST_F(AlbumNamesTest, AFileNameWithLineBreaksCannotRewriteTheAlbumsSettings)
{
    const std::string evil = "/home/ann/evil\n[Settings]\nTitle=Injected\nAllowSave=0\nz.jpg";
    const pictoalbum::TAlbumSettingsText settings{{{evil, "Beach"}}, true, "Trip", false};
    WriteAlbum(dir.File("album.pxa"), {{JpegBytes(41, 30), "Beach", ""}},
               pictoalbum::AlbumSettingsFileText(settings));
    form->AlbumFileName = dir.File("album.pxa");
    form->OpenAlbum();

    EXPECT_EQ(form->Caption(), "Trip - Pictoria");
    EXPECT_TRUE(form->LoadPicture1->Enabled()) << "saving stays allowed";
    EXPECT_TRUE(slides.BitBtn9->Enabled());
    ASSERT_EQ(form->PictureCount, 1);
    EXPECT_EQ(dynamic_cast<TLabel&>(*form->FindComponent("Label1")).Caption(), "Beach");
    ScriptedDialogs dialogs;
    TSavePictureDialog& dialog = *form->SavePictureDialog1;
    dialogs.ExpectSave(dialog.Title, dialog.Filter, std::nullopt);
    form->LoadPicture1Click(form->LoadPicture1);
    EXPECT_EQ(dialog.FileName, evil) << "the picture's whole name is suggested";
}

TEST_F(AlbumNamesTest, ATitleInQuotesKeepsThem)
{
    const pictoalbum::TAlbumSettingsText settings{{{"/home/ann/a.jpg", ""}}, true, "\"Summer\" ", false};
    WriteAlbum(dir.File("album.pxa"), {{JpegBytes(41, 30), "", ""}}, pictoalbum::AlbumSettingsFileText(settings));
    form->AlbumFileName = dir.File("album.pxa");
    form->OpenAlbum();
    EXPECT_EQ(form->AlbumTitle, "\"Summer\" ");
}

} // namespace pictoview
