// The exit prompt asked at every close request of the main window: its
// texts, what each answer leaves on disk, and its link to the home page.
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>

#include "AlbumFixture.h"
#include "ExitForm.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "TempDir.h"

namespace pictoview {

namespace {

class ExitPromptTest : public ::testing::Test {
protected:
    ExitPromptTest() { Form3 = &prompt; }
    ~ExitPromptTest() override { Form3 = nullptr; }

    void OpenAlbum()
    {
        WriteAlbum(dir.File("album.pxa"), {{JpegBytes(41, 30), "Beach", ""}}, FixtureSettings{.title = "Trip"});
        form->AlbumFileName = dir.File("album.pxa");
        form->OpenAlbum();
    }

    TApplication& application = TestApplication();
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(std::vector<std::string>{});
    TForm3 prompt;
    TempDir dir;
};

struct CloseCase {
    const char* name;
    bool albumOpened;
    TModalResult answer;
    const char* caption;
    const char* question;
    bool canClose;
    bool folderKept;
};

} // namespace

TEST_F(ExitPromptTest, EachAnswerDecidesTheCloseAndWhatStaysOnDisk)
{
    const CloseCase cases[] = {
        {"no album, yes", false, mrYes, "Exit ?", "Do you want to exit ?", true, false},
        {"no album, no", false, mrNo, "Exit ?", "Do you want to exit ?", false, false},
        {"album, yes", true, mrYes, "Exit Trip?", "Do you want to exit Trip?", true, false},
        {"album, no", true, mrNo, "Exit Trip?", "Do you want to exit Trip?", false, true},
        {"album, prompt closed", true, mrCancel, "Exit Trip?", "Do you want to exit Trip?", false, true},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        form.reset(); // the engine's UI scopes nest: the old window goes first
        form = std::make_unique<TForm1>(std::vector<std::string>{});
        if (c.albumOpened)
            OpenAlbum();
        const std::string settingsFile = form->TempFolder + SettingsFileName;
        ScriptedDialogs dialogs;
        dialogs.ExpectShowModal(c.caption, c.answer,
                                [&](TForm&) { EXPECT_EQ(prompt.Label3->Caption(), c.question); });
        bool canClose = true;
        form->FormCloseQuery(form.get(), canClose);
        dialogs.Verify();
        EXPECT_EQ(canClose, c.canClose);
        if (!c.albumOpened) {
            EXPECT_TRUE(form->TempFolder.empty()) << "nothing was extracted, nothing to delete";
            continue;
        }
        EXPECT_EQ(std::filesystem::exists(settingsFile), c.folderKept);
        EXPECT_EQ(std::filesystem::exists(form->TempFolder), c.folderKept);
        EXPECT_EQ(form->PictureCount, 1) << "the album stays open until the window goes";
    }
}

TEST_F(ExitPromptTest, AnsweringNoKeepsTheSuggestedPictureName)
{
    WriteAlbum(dir.File("album.pxa"), {{JpegBytes(41, 30), "Beach", "", "/home/ann/beach.jpg"}});
    form->AlbumFileName = dir.File("album.pxa");
    form->OpenAlbum();
    ScriptedDialogs dialogs;
    dialogs.ExpectShowModal("Exit Trip?", mrNo);
    bool canClose = true;
    form->FormCloseQuery(form.get(), canClose);

    form->CurrentImage = form->GetTImageofX(1);
    const TSavePictureDialog& dialog = *form->SavePictureDialog1;
    dialogs.ExpectSave(dialog.Title, dialog.Filter, std::nullopt);
    form->LoadPicture1Click(form->LoadPicture1);
    dialogs.Verify();
    EXPECT_EQ(dialog.FileName, "/home/ann/beach.jpg");
}

TEST_F(ExitPromptTest, TheWindowGoingTakesItsPrivateFolder)
{
    OpenAlbum();
    const std::string folder = form->TempFolder;
    ASSERT_TRUE(std::filesystem::exists(folder));
    form.reset();
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(ExitPromptTest, TheLinkOpensTheHomePage)
{
    RecordingShell shell;
    prompt.Label2->Click();
    EXPECT_EQ(shell.Addresses, std::vector<std::string>{"https://pictoria.example.org/"});
    EXPECT_TRUE(shell.Opened.empty());
    EXPECT_EQ(prompt.Label2->Caption(), HomePageAddress);
}

TEST_F(ExitPromptTest, ReturnPressesTheFocusedButton)
{
    for (TButton* focused : {prompt.Button1, prompt.Button2}) {
        SCOPED_TRACE(focused->Caption());
        QTimer::singleShot(0, [focused] {
            focused->SetFocus();
            QTest::keyClick(focused->Widget(), Qt::Key_Return);
        });
        EXPECT_EQ(prompt.ShowModal(), focused->ModalResult());
    }
}

TEST_F(ExitPromptTest, ItsButtonsAnswerYesAndNo)
{
    EXPECT_EQ(prompt.Button1->Caption(), "&Yes");
    EXPECT_EQ(prompt.Button1->ModalResult(), mrYes);
    EXPECT_EQ(prompt.Button2->Caption(), "&No");
    EXPECT_EQ(prompt.Button2->ModalResult(), mrNo);
    EXPECT_EQ(prompt.Caption(), "Exit Pictoria?");
    EXPECT_FALSE(prompt.Image1->Picture().Graphic() == nullptr);
}

} // namespace pictoview
