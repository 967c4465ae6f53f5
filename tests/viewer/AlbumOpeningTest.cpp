// Opening albums in the viewer's main window: the film strip, the settings,
// the password of protected pictures, damaged and odd album files, and the
// private folder of the extracted settings file.
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>

#include <gtest/gtest.h>
#include <QMenu>
#include <QTest>

#include "AlbumFixture.h"
#include "CheckByteRefusal.h"
#include "Format.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "PeerArchives.h"
#include "RunCommand.h"
#include "ScriptedDialogs.h"
#include "SlideShowForm.h"
#include "TempDir.h"

namespace pictoview {

namespace {

// The script's answers, with a step run by every input query before it is
// answered: the window's commands as the user might give them meanwhile.
class DialogsDuringOpening : public ScriptedDialogs {
public:
    std::function<void()> During;

    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override
    {
        if (During)
            During();
        return ScriptedDialogs::InputQuery(caption, prompt, value);
    }
};

class AlbumOpeningTest : public ::testing::Test {
protected:
    AlbumOpeningTest() { pictoalbum::Form2 = &slides; }
    ~AlbumOpeningTest() override { pictoalbum::Form2 = nullptr; }

    TLabel& Label(int n) const { return dynamic_cast<TLabel&>(*form->FindComponent("Label" + std::to_string(n))); }
    TPanel& Panel(int n) const { return dynamic_cast<TPanel&>(*form->FindComponent("Panel" + std::to_string(n))); }
    const TGraphic* Graphic(int n) const { return form->GetTImageofX(n)->Picture().Graphic(); }
    std::string Open(const std::string& fileName)
    {
        form->AlbumFileName = fileName;
        form->OpenAlbum();
        return fileName;
    }
    // No component of any frame is left.
    void ExpectEmptyStrip(int frames) const
    {
        for (int n = 1; n <= frames; ++n)
            for (const std::string prefix : {"Film", "Panel", "Image", "Label", "Hole0A", "Hole4B"})
                EXPECT_EQ(form->FindComponent(prefix + std::to_string(n)), nullptr) << prefix << n;
        EXPECT_EQ(form->PictureCount, 0);
        EXPECT_EQ(form->CurrentImage, nullptr);
    }
    bool FolderEmpty() const { return std::filesystem::is_empty(form->TempFolder); }
    std::vector<FixturePicture> Protected() const
    {
        return {{JpegBytes(41, 30), "one", "secret"}, {JpegBytes(42, 30), "two", "secret"},
                {JpegBytes(43, 30), "three", "secret"}};
    }

    TApplication& application = TestApplication();
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(std::vector<std::string>{});
    pictoalbum::TForm2 slides{*form};
    TempDir dir;
};

} // namespace

TEST_F(AlbumOpeningTest, OnePictureWithItsCaptionAndTitle)
{
    WriteAlbum(dir.File("one.pxa"), {{JpegBytes(640, 480), "Beach", "", "/home/ann/beach.jpg"}});
    Open(dir.File("one.pxa"));
    EXPECT_EQ(form->PictureCount, 1);
    EXPECT_EQ(form->CurrentImage, form->GetTImageofX(1));
    EXPECT_EQ(form->Caption(), "Trip - Pictoria");
    EXPECT_EQ(form->AlbumTitle, "Trip");
    EXPECT_EQ(Label(1).Caption(), "Beach");
    ASSERT_NE(Graphic(1), nullptr);
    EXPECT_EQ(Graphic(1)->Width(), 640);
    EXPECT_EQ(form->GetTImageofX(1)->BoundsRect(), Bounds(1, 19, 91, 68)) << "fitted inside the frame";
    EXPECT_FALSE(form->Opening());
    EXPECT_TRUE(form->TopPanel->Enabled());
}

TEST_F(AlbumOpeningTest, StartUpOpensTheAlbumNamedAndStartsItsSlideShow)
{
    WriteAlbum(dir.File("show.pxa"), {{JpegBytes(41, 30), "Beach", ""}}, {"Show", true, true});
    TForm1 started({dir.File("show.pxa")});
    pictoalbum::TForm2 startedSlides(started);
    pictoalbum::Form2 = &startedSlides;
    ScriptedDialogs dialogs;
    dialogs.ExpectShowModal(startedSlides.Caption(), mrCancel,
                            [&](TForm&) { EXPECT_EQ(startedSlides.Panel4->Caption(), "Beach"); });
    started.FormShow(&started);
    dialogs.Verify();
    EXPECT_EQ(started.Caption(), "Show - Pictoria");
    EXPECT_EQ(started.CurrentImage, started.GetTImageofX(1));
    pictoalbum::Form2 = &slides;
}

TEST_F(AlbumOpeningTest, TheButtonsCarryTheirGlyphs)
{
    form->FormCreate(form.get());
    for (const TBitBtn* button : {form->BitBtn4, form->BitBtn1, form->BitBtn2}) {
        SCOPED_TRACE(button->Name());
        EXPECT_EQ(button->Glyph().Width(), 16);
        EXPECT_EQ(button->Glyph().Height(), 16);
    }
}

TEST_F(AlbumOpeningTest, StartUpWithTheDialogCancelledOpensNothing)
{
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("", "Pictoria Files (*.pxa)|*.pxa", {});
    form->FormShow(form.get());
    dialogs.Verify();
    EXPECT_EQ(form->Caption(), "Pictoria");
    EXPECT_EQ(form->PictureCount, 0);
    EXPECT_TRUE(form->TempFolder.empty());
}

TEST_F(AlbumOpeningTest, ThreeHundredPictures)
{
    std::vector<FixturePicture> pictures(300, {JpegBytes(8, 6), "", ""});
    pictures[255].caption = "two hundred fifty-six";
    WriteAlbum(dir.File("long.pxa"), pictures);
    Open(dir.File("long.pxa"));
    ASSERT_EQ(form->PictureCount, 300);
    const auto& film = dynamic_cast<TPanel&>(*form->FindComponent("Film300"));
    EXPECT_EQ(film.Left(), ScaleByPPI(299 * 135, form->PixelsPerInch()));
    TImage* image = form->GetTImageofX(256);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(form->GetXofTImage(*image), 256);
    EXPECT_EQ(Label(256).Caption(), "two hundred fifty-six");
    EXPECT_EQ(form->CurrentImage, form->GetTImageofX(300));
}

TEST_F(AlbumOpeningTest, ProtectedPicturesAskOnceAndAgainAfterAWrongPassword)
{
    // A wrong password passes a picture's check byte 1 time in 256, and the
    // picture is then damaged: the album is written again until all refuse it.
    const std::string album = dir.File("locked.pxa");
    ASSERT_TRUE(MadeUntilRefused(
        [&] {
            std::filesystem::remove(album);
            WriteAlbum(album, Protected());
        },
        [&] { return CheckBytesRefuse(album, {"wrong"}); }));
    ScriptedDialogs dialogs;
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "wrong");
    dialogs.ExpectInputQuery("Password", "Wrong Password. Please Enter the Password Here", "secret");
    Open(dir.File("locked.pxa"));
    dialogs.Verify();
    ASSERT_EQ(form->PictureCount, 3);
    const char* captions[] = {"one", "two", "three"};
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        ASSERT_NE(Graphic(n), nullptr);
        EXPECT_EQ(Graphic(n)->Width(), 40 + n);
        EXPECT_EQ(Label(n).Caption(), captions[n - 1]);
        EXPECT_EQ(Panel(n).Caption(), "");
    }
}

// The password opened picture 1: picture 2, whose data fail behind it, is
// damaged, named as such and never asked for again.
TEST_F(AlbumOpeningTest, AProtectedPictureDamagedBehindTheRightPasswordIsNamedDamaged)
{
    WriteAlbum(dir.File("locked.pxa"), Protected());
    const std::string album = dir.Write("locked.pxa", WithDamagedPicture(ReadFileBytes(dir.File("locked.pxa")), 2));
    application.SetTitle("Pictoria");
    ScriptedDialogs dialogs;
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "secret");
    dialogs.ExpectMessageBox("Pictoria", "Couldn't Read Picture 2 from " + album + ": the entry is damaged", IDOK);
    Open(album);
    dialogs.Verify();
    ASSERT_EQ(form->PictureCount, 3);
    EXPECT_EQ(Graphic(1)->Width(), 41);
    EXPECT_EQ(Graphic(2), nullptr);
    EXPECT_EQ(Panel(2).Caption(), DamagedMark);
    EXPECT_EQ(Graphic(3)->Width(), 43);
}

TEST_F(AlbumOpeningTest, CancelLeavesAPictureLockedAndAsksAtTheNext)
{
    std::vector<FixturePicture> pictures = Protected();
    pictures.insert(pictures.begin() + 1, {JpegBytes(50, 30), "open", ""});
    WriteAlbum(dir.File("locked.pxa"), pictures);
    ScriptedDialogs dialogs;
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", std::nullopt);
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "secret");
    Open(dir.File("locked.pxa"));
    dialogs.Verify();
    ASSERT_EQ(form->PictureCount, 4);
    EXPECT_EQ(Graphic(1), nullptr);
    EXPECT_EQ(Panel(1).Caption(), LockedMark);
    EXPECT_EQ(Label(1).Caption(), "") << "a locked caption is hidden, not garbled";
    EXPECT_EQ(Label(2).Caption(), "open");
    EXPECT_EQ(Label(3).Caption(), "two");
    EXPECT_EQ(Label(4).Caption(), "three");
    EXPECT_EQ(Graphic(4)->Width(), 43);
}

TEST_F(AlbumOpeningTest, AllowSaveEnablesThePictureCommandsPerAlbum)
{
    for (bool allow : {false, true}) {
        SCOPED_TRACE(allow);
        WriteAlbum(dir.File("album.pxa"), {{JpegBytes(8, 6), "", ""}}, {"Trip", allow, false});
        form->CloseAlbum();
        Open(dir.File("album.pxa"));
        EXPECT_EQ(form->CopyPicturetoClipboard1->Enabled(), allow);
        EXPECT_EQ(form->LoadPicture1->Enabled(), allow);
        EXPECT_EQ(form->PrintPicture1->Enabled(), allow);
        EXPECT_EQ(slides.BitBtn9->Enabled(), allow);
        EXPECT_TRUE(form->ShowPicture1->Enabled());
    }
}

TEST_F(AlbumOpeningTest, AnEmptyTitleStaysEmpty)
{
    WriteAlbum(dir.File("album.pxa"), {{JpegBytes(8, 6), "", ""}}, {"", true, false});
    Open(dir.File("album.pxa"));
    EXPECT_EQ(form->Caption(), " - Pictoria");
}

TEST_F(AlbumOpeningTest, WithoutASettingsEntryEveryKeyTakesItsDefault)
{
    WriteAlbum(dir.File("bare.pxa"), {{JpegBytes(8, 6), "", ""}, {JpegBytes(9, 6), "", ""}}, std::nullopt);
    Open(dir.File("bare.pxa"));
    EXPECT_EQ(form->Caption(), "Untitled - Pictoria");
    EXPECT_EQ(form->PictureCount, 1) << "entry 0 stands in for the settings file";
    EXPECT_EQ(Graphic(1)->Width(), 9);
    EXPECT_TRUE(form->LoadPicture1->Enabled());
    form->CloseAlbum();
    EXPECT_TRUE(FolderEmpty());
}

TEST_F(AlbumOpeningTest, AFailedOpeningSaysWhyClosesTheAlbumAndTheNextOpens)
{
    WriteAlbum(dir.File("good.pxa"), {{JpegBytes(8, 6), "fine", ""}});
    const std::string damaged = ReadFileBytes(dir.File("good.pxa"));
    dir.Write("damaged.pxa", damaged.substr(0, 20) + std::string(40, 'x'));
    dir.Write("empty.pxa", "");
    struct Case {
        std::string file;
        std::string message; // the start of it
    };
    const Case cases[] = {
        {dir.File("damaged.pxa"), "Couldn't Read the Album File " + dir.File("damaged.pxa") + ": "},
        {dir.File("empty.pxa"), ""},
        {dir.File("missing.pxa"), ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.file);
        form->AlbumFileName = row.file;
        try {
            form->OpenAlbum();
            ADD_FAILURE() << "opened";
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()).rfind(row.message, 0), 0u) << e.what();
            EXPECT_FALSE(std::string(e.what()).empty());
        }
        ExpectEmptyStrip(3);
        EXPECT_EQ(form->Caption(), "Untitled - Pictoria");
        EXPECT_FALSE(form->Opening());
        EXPECT_TRUE(form->TopPanel->Enabled());
        if (!form->TempFolder.empty()) {
            EXPECT_TRUE(FolderEmpty());
        }

        Open(dir.File("good.pxa"));
        EXPECT_EQ(form->PictureCount, 1);
        EXPECT_EQ(Label(1).Caption(), "fine");
        form->CloseAlbum();
    }
}

// A file that holds no album at all is named as such, not by the index of an
// entry it lacks, nor as a volume of a set it is not; the window is left as
// after any failed opening.
TEST_F(AlbumOpeningTest, AFileThatHoldsNoAlbumIsNamedWithWhatIsWrong)
{
    WriteAlbum(dir.File("good.pxa"), {{JpegBytes(8, 6), "fine", ""}, {JpegBytes(9, 6), "more", ""}});
    const std::string good = ReadFileBytes(dir.File("good.pxa"));
    dir.Write("zero.pxa", "");
    RunChecked(PythonCommand(dir, "empty.py", "import sys, zipfile\nzipfile.ZipFile(sys.argv[1], 'w').close()\n",
                             {dir.File("entryless.pxa")}));
    dir.Write("notes.pxa", "Pictures of the trip, to be sorted.\n");
    dir.Write("photo.pxa", JpegBytes(40, 30));
    // Cut inside the first header: nothing is left of it.
    dir.Write("cut.pxa", good.substr(0, 20));
    application.SetTitle("Pictoria");
    const std::string filter = "Pictoria Files (*.pxa)|*.pxa";
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectOpen("", filter, {dir.File("good.pxa")});
        form->Show();
    }
    const struct {
        std::string name, reason;
    } cases[] = {
        {"zero.pxa", "it holds no album"},
        {"entryless.pxa", "it holds no album"},
        {"notes.pxa", "it is not an album file"},
        {"photo.pxa", "it is not an album file"},
        {"cut.pxa", "it is cut short or damaged"},
    };
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        const std::string album = dir.File(name);
        ScriptedDialogs dialogs;
        dialogs.ExpectOpen("", filter, {album});
        dialogs.ExpectMessageBox("Pictoria", "Couldn't Read the Album File " + album + ": " + reason + ".", IDOK);
        QTest::mouseClick(form->BitBtn4->Widget(), Qt::LeftButton);
        dialogs.Verify();
        ExpectEmptyStrip(2);
        EXPECT_EQ(form->Caption(), "Untitled - Pictoria");
        EXPECT_FALSE(form->Opening());
        EXPECT_TRUE(form->TopPanel->Enabled());
        EXPECT_TRUE(FolderEmpty());
    }
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("", filter, {dir.File("good.pxa")});
    QTest::mouseClick(form->BitBtn4->Widget(), Qt::LeftButton);
    dialogs.Verify();
    EXPECT_EQ(form->PictureCount, 2);
    EXPECT_EQ(Label(1).Caption(), "fine");
}

// An album cut short shows what it still holds: the pictures before the cut
// with their captions, the one the cut went through named, and the album
// file said to be read in part. Cut in its end record, it loses nothing.
TEST_F(AlbumOpeningTest, AnAlbumCutShortShowsThePicturesItStillHolds)
{
    WriteAlbum(dir.File("good.pxa"), {{JpegBytes(41, 30), "one", ""}, {JpegBytes(42, 30), "two", ""},
                                      {JpegBytes(43, 30), "three", ""}});
    const std::string good = ReadFileBytes(dir.File("good.pxa"));
    const std::size_t lastPicture = good.rfind(std::string("PK\x03\x04"));
    const struct {
        std::string name, bytes, pictureMessage;
        int shown;
    } cases[] = {
        {"endless.pxa", good.substr(0, good.size() - 10), "", 3},
        {"cut.pxa", good.substr(0, lastPicture + 60), "Couldn't Read Picture 3 from %s: the entry is damaged", 2},
    };
    application.SetTitle("Pictoria");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string album = dir.Write(c.name, c.bytes);
        ScriptedDialogs dialogs;
        std::string message = "Couldn't Read All of the Album File " + album + ": it is cut short or damaged.";
        if (!c.pictureMessage.empty())
            message += "\n\n" + Format(c.pictureMessage, {album});
        dialogs.ExpectMessageBox("Pictoria", message, IDOK);
        Open(album);
        dialogs.Verify();
        ASSERT_EQ(form->PictureCount, 3);
        for (int n = 1; n <= c.shown; ++n) {
            ASSERT_NE(Graphic(n), nullptr) << n;
            EXPECT_EQ(Graphic(n)->Width(), 40 + n);
        }
        EXPECT_EQ(Label(1).Caption(), "one");
        EXPECT_EQ(Label(3).Caption(), "three");
        if (c.shown < 3) {
            EXPECT_EQ(Panel(3).Caption(), DamagedMark);
        }
        EXPECT_EQ(ReadFileBytes(album), c.bytes) << "left as it was";
        form->CloseAlbum();
    }
}

TEST_F(AlbumOpeningTest, DamagedPicturesStayEmptyMarkedAndAreNamedInOneMessage)
{
    WriteAlbum(dir.File("album.pxa"), {{JpegBytes(41, 30), "one", ""},
                                       {"not a picture", "two", "secret"},
                                       {JpegBytes(43, 30), "three", ""},
                                       {JpegBytes(44, 30), "four", ""},
                                       {JpegBytes(45, 30), "five", "secret"}});
    const std::string album = dir.Write("album.pxa", WithDamagedPicture(ReadFileBytes(dir.File("album.pxa")), 4));
    application.SetTitle("Pictoria");
    ScriptedDialogs dialogs;
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "secret");
    dialogs.ExpectMessageBox("Pictoria",
                             "Couldn't Read 2 Pictures from " + album + ":\nPicture 2: " +
                                 DecoderMessage("not a picture") + "\nPicture 4: the entry is damaged",
                             IDOK);
    Open(album);
    dialogs.Verify();
    EXPECT_FALSE(form->Opening()) << "the message comes once the album is open";
    EXPECT_EQ(form->PictureCount, 5);
    EXPECT_EQ(form->Caption(), "Trip - Pictoria");
    const char* captions[] = {"one", "two", "three", "four", "five"};
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        const bool damaged = n == 2 || n == 4;
        EXPECT_EQ(Graphic(n) == nullptr, damaged);
        if (!damaged) {
            EXPECT_EQ(Graphic(n)->Width(), 40 + n);
        }
        EXPECT_EQ(Panel(n).Caption(), damaged ? DamagedMark : "");
        EXPECT_EQ(Label(n).Caption(), captions[n - 1]);
    }
}

// Settings that cannot be read may be those of an album that forbids
// saving: the album opens with its pictures, but as one that forbids it,
// and the one message of what could not be read says so first.
TEST_F(AlbumOpeningTest, ADamagedSettingsEntryIsToldAndForbidsSaving)
{
    WriteAlbum(dir.File("good.pxa"), {{JpegBytes(8, 6), "fine", ""}});
    application.SetTitle("Pictoria");
    const std::string filter = "Pictoria Files (*.pxa)|*.pxa";
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectOpen("", filter, {dir.File("good.pxa")});
        form->Show();
    }
    for (const bool allowSave : {false, true}) {
        for (const bool damagedPicture : {false, true}) {
            SCOPED_TRACE(testing::Message() << "AllowSave " << allowSave << ", damaged picture " << damagedPicture);
            const std::string album = dir.File("album.pxa");
            WriteAlbum(album, {{JpegBytes(41, 30), "one", ""}, {JpegBytes(42, 30), "two", ""}},
                       {"Trip", allowSave, false});
            std::string bytes = WithDamagedEntry(ReadFileBytes(album), "pictoview.ini");
            if (damagedPicture)
                bytes = WithDamagedPicture(bytes, 2);
            dir.Write("album.pxa", bytes);
            std::string message = "Couldn't Read the Album Settings from " + album +
                                  ": the entry is damaged. Without them the album has no title and no captions, "
                                  "and its pictures cannot be copied, saved or printed.";
            if (damagedPicture)
                message += "\n\nCouldn't Read Picture 2 from " + album + ": the entry is damaged";
            ScriptedDialogs dialogs;
            dialogs.ExpectOpen("", filter, {album});
            dialogs.ExpectMessageBox("Pictoria", message, IDOK);
            QTest::mouseClick(form->BitBtn4->Widget(), Qt::LeftButton);
            dialogs.Verify();
            EXPECT_EQ(dialogs.LastMessageFlags(), MB_OK | MB_ICONWARNING);
            ASSERT_EQ(form->PictureCount, 2);
            EXPECT_EQ(form->Caption(), "Untitled - Pictoria");
            EXPECT_EQ(Label(1).Caption(), "");
            EXPECT_EQ(Graphic(1)->Width(), 41);
            EXPECT_EQ(Graphic(2) == nullptr, damagedPicture);

            QTest::mousePress(form->GetTImageofX(1)->Widget(), Qt::RightButton, {}, QPoint(5, 5));
            QMenu& menu = *form->PopupMenu1->Items().SubMenu();
            EXPECT_TRUE(menu.isVisible());
            EXPECT_FALSE(form->CopyPicturetoClipboard1->Enabled());
            EXPECT_FALSE(form->LoadPicture1->Enabled());
            EXPECT_FALSE(form->PrintPicture1->Enabled());
            EXPECT_TRUE(form->ShowPicture1->Enabled());
            EXPECT_FALSE(slides.BitBtn9->Enabled());
            menu.hide();
        }
    }
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("", filter, {dir.File("good.pxa")});
    QTest::mouseClick(form->BitBtn4->Widget(), Qt::LeftButton);
    dialogs.Verify();
    EXPECT_EQ(form->Caption(), "Trip - Pictoria");
    EXPECT_TRUE(form->LoadPicture1->Enabled());
    EXPECT_TRUE(slides.BitBtn9->Enabled());
}

TEST_F(AlbumOpeningTest, OneDamagedPictureIsNamedAlone)
{
    WriteAlbum(dir.File("album.pxa"), {{JpegBytes(41, 30), "one", ""}, {JpegBytes(42, 30), "two", ""}});
    const std::string album = dir.Write("album.pxa", WithDamagedPicture(ReadFileBytes(dir.File("album.pxa")), 1));
    application.SetTitle("Pictoria");
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria", "Couldn't Read Picture 1 from " + album + ": the entry is damaged", IDOK);
    Open(album);
    dialogs.Verify();
    EXPECT_EQ(dialogs.LastMessageFlags(), MB_OK | MB_ICONWARNING);
    EXPECT_EQ(Graphic(1), nullptr);
    EXPECT_EQ(Graphic(2)->Width(), 42);
}

TEST_F(AlbumOpeningTest, TheSettingsFileLivesInAPrivateFolderUntilClosed)
{
    WriteAlbum(dir.File("one.pxa"), {{JpegBytes(8, 6), "", ""}});
    Open(dir.File("one.pxa"));
    const std::string folder = form->TempFolder;
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(std::filesystem::exists(folder + SettingsFileName));

    form->BitBtn1Click(form->BitBtn1);
    ExpectEmptyStrip(1);
    EXPECT_EQ(form->Caption(), "Untitled - Pictoria");
    EXPECT_TRUE(FolderEmpty());

    Open(dir.File("one.pxa"));
    EXPECT_EQ(form->TempFolder, folder) << "one folder per process";
    form.reset();
    EXPECT_FALSE(std::filesystem::exists(folder)) << "removed at exit";
    form = std::make_unique<TForm1>(std::vector<std::string>{});
}

TEST_F(AlbumOpeningTest, CommandsWaitWhileAnAlbumOpens)
{
    WriteAlbum(dir.File("locked.pxa"), Protected());
    DialogsDuringOpening dialogs;
    int closes = 0;
    form->OnClose = [&](TObject*, TCloseAction&) { ++closes; };
    dialogs.During = [&] {
        EXPECT_TRUE(form->Opening());
        EXPECT_FALSE(form->TopPanel->Enabled());
        EXPECT_FALSE(form->ScrollBox1->Enabled());
        form->BitBtn1Click(form->BitBtn1);
        form->BitBtn4Click(form->BitBtn4);
        form->BitBtn2Click(form->BitBtn2);
        form->Close();
        EXPECT_EQ(closes, 0);
        EXPECT_NE(form->FindComponent("Film3"), nullptr);
    };
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "secret");
    Open(dir.File("locked.pxa"));
    dialogs.Verify();
    EXPECT_EQ(form->PictureCount, 3);
    EXPECT_EQ(Graphic(3)->Width(), 43);
    EXPECT_EQ(closes, 1) << "the close asked for meanwhile comes after the opening";
}

} // namespace pictoview

namespace pictoview {

TEST(CheckPathTest, AFolderPathEndsInOneSeparator)
{
    EXPECT_EQ(TForm1::CheckPath("/tmp/pictoview-a"), "/tmp/pictoview-a/");
    EXPECT_EQ(TForm1::CheckPath("/tmp/pictoview-a/"), "/tmp/pictoview-a/");
    EXPECT_EQ(TForm1::CheckPath(""), "/");
}

} // namespace pictoview
