// Projects through the main window: saved and opened again, pictures from
// the album file and from their sources, the password of protected
// pictures, pictures that cannot be shown, and the settings dialog.
#include <filesystem>
#include <memory>
#include <optional>

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "Format.h"
#include "GuiTestApp.h"
#include "HeldPicture.h"
#include "pictures/Jpeg.h"
#include "CarriedValue.h"
#include "CheckByteRefusal.h"
#include "KeyWordScrambling.h"
#include "MainForm.h"
#include "PeerCheck.h"
#include "ProjectFile.h"
#include "ScriptedDialogs.h"
#include "SettingsDialogScope.h"
#include "TempDir.h"

namespace pictomake {

namespace {

class NoRegistrar : public TFileTypeRegistrar {
public:
    void Register(const std::vector<TFileTypeKey>&) override {}
};

std::string PictureBytes(TGraphic& graphic)
{
    TMemoryStream stream;
    graphic.SaveToStream(stream);
    return stream.Text();
}

// A JPEG picture width x height, known again by its size.
std::string JpegBytes(int width, int height)
{
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    TJPEGImage jpeg;
    jpeg.Assign(bitmap);
    return PictureBytes(jpeg);
}

std::string BmpBytes(int width, int height)
{
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    return PictureBytes(bitmap);
}

struct AlbumEntry {
    std::string bytes;
    std::string password;
};

// An album file as the compiler writes it: the settings file first, then
// one entry per picture, encrypted with its password when it has one.
void WriteAlbum(const std::string& fileName, const std::vector<AlbumEntry>& pictures)
{
    TZipWriter writer;
    writer.SetZipName(fileName);
    TMemoryStream settings(std::vector<std::uint8_t>{'[', 'S', ']'});
    writer.AddStreamEntry(&settings, "pictoview.ini");
    for (std::size_t n = 1; n <= pictures.size(); ++n) {
        const std::string& bytes = pictures[n - 1].bytes;
        TMemoryStream picture(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        writer.Password = pictures[n - 1].password;
        writer.AddStreamEntry(&picture, "Image" + IntToStr(static_cast<int>(n)) + ".jpg");
    }
}

class ProjectWindowTest : public ::testing::Test {
protected:
    TForm1& NewWindow()
    {
        form.reset();
        settings.dialog.SetSettings({});
        form = std::make_unique<TForm1>(registrar, "/opt/pictoria/Pictomake", std::vector<std::string>{});
        return *form;
    }
    TEdit& Edit(int n) const { return dynamic_cast<TEdit&>(*form->FindComponent("Edit" + IntToStr(n))); }
    TCheckBox& CheckBox(int n) const
    {
        return dynamic_cast<TCheckBox&>(*form->FindComponent("CheckBox" + IntToStr(n)));
    }
    const TGraphic* Graphic(int n) const { return form->GetTImageofX(n)->Picture().Graphic(); }

    // A picture added from a file, as the add command does.
    void AddFromFile(const std::string& fileName, const std::string& caption, bool isProtected)
    {
        const int n = ++form->PictureCount;
        form->CreatePictUnit(n);
        form->CurrentImage = form->GetTImageofX(n);
        form->CurrentImage->Picture().LoadFromFile(fileName);
        form->PictureSources.push_back(fileName);
        Edit(n).SetText(caption);
        CheckBox(n).SetChecked(isProtected);
        form->LoadPicture();
    }

    // trip.pxp with three pictures whose album entries 2 and 3 are locked
    // with "secret"; returns the project's name.
    // The album is written again until the check bytes of both its locked
    // pictures refuse "wrong", which a wrong password passes 1 time in 256,
    // the picture then damaged.
    std::string ProtectedProject()
    {
        const std::string album = dir.File("trip.pxa");
        EXPECT_TRUE(MadeUntilRefused(
            [&] {
                std::filesystem::remove(album);
                WriteAlbum(album,
                           {{JpegBytes(41, 30), ""}, {JpegBytes(42, 30), "secret"}, {JpegBytes(43, 30), "secret"}});
            },
            [&] { return CheckBytesRefuse(album, {"wrong"}); }));
        TProjectFile(dir.File("trip.pxp"))
            .Save({{"Image1", "open", false},
                   {"Image2", StoredCaption("two", true, "secret"), true},
                   {"Image3", StoredCaption("three", true, "secret"), true}},
                  {"secret", true, "Trip", false});
        return dir.File("trip.pxp");
    }

    TApplication& application = TestApplication();
    SettingsDialogScope settings;
    NoRegistrar registrar;
    std::unique_ptr<TForm1> form;
    TempDir dir;
};

} // namespace

TEST_F(ProjectWindowTest, AProjectSavedOpensAgainAsItWas)
{
    NewWindow();
    const std::string jpeg = dir.Write("beach.jpg", JpegBytes(41, 30));
    const std::string bmp = dir.Write("hut.bmp", BmpBytes(42, 30));
    AddFromFile(jpeg, "Beach", false);
    AddFromFile(bmp, "Our hut \xC3\xA9t\xC3\xA9", true);
    AddFromFile(jpeg, "Beach again", true);
    form->ProjectFileName = dir.File("trip.pxp");
    form->Title->SetText("Summer");
    settings.dialog.SetSettings({"secret", false, "Summer", true});
    form->WriteIni();
    const std::string text = ReadFileBytes(dir.File("trip.pxp"));
    EXPECT_EQ(text.find("Our hut"), std::string::npos) << "a protected caption stays scrambled";
    EXPECT_NE(text.find("Caption=Beach\r\n"), std::string::npos);

    NewWindow();
    form->OpenProject(dir.File("trip.pxp"));
    ASSERT_EQ(form->PictureCount, 3);
    EXPECT_EQ(form->PictureSources, (std::vector<std::string>{jpeg, bmp, jpeg}));
    const char* captions[] = {"Beach", "Our hut \xC3\xA9t\xC3\xA9", "Beach again"};
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Edit(n).Text(), captions[n - 1]);
        EXPECT_EQ(CheckBox(n).Checked(), n != 1);
        ASSERT_NE(Graphic(n), nullptr);
        EXPECT_EQ(Graphic(n)->Width(), n == 2 ? 42 : 41);
    }
    EXPECT_EQ(settings.dialog.Settings(), (TAlbumSettings{"secret", false, "Summer", true}));
    EXPECT_EQ(settings.dialog.Edit1->Text(), "trip");
    EXPECT_EQ(form->Title->Text(), "Summer");
    EXPECT_EQ(form->Caption(), "Summer (trip.pxp) - Pictoria");
    EXPECT_EQ(form->CurrentImage, form->GetTImageofX(1));
    EXPECT_FALSE(form->Modified);

    form->WriteIni();
    EXPECT_EQ(ReadFileBytes(dir.File("trip.pxp")), text) << "saved again unchanged";
}

TEST_F(ProjectWindowTest, PasswordPrompts)
{
    const struct {
        const char* name;
        std::vector<std::optional<std::string>> answers; // nullopt: Cancel
        bool unlocked;
    } cases[] = {
        {"one prompt serves both pictures", {"secret"}, true},
        {"a wrong answer asks again", {"wrong", "secret"}, true},
        {"the same wrong answer asks again", {"wrong", "wrong", "secret"}, true},
        {"cancel at each picture", {std::nullopt, std::nullopt}, false},
        {"wrong, then cancel, then cancel", {"wrong", std::nullopt, std::nullopt}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string project = ProtectedProject();
        const std::vector<TProjectPicture> stored = TProjectFile(project).Pictures();
        NewWindow();
        ScriptedDialogs dialogs;
        std::string prompt = "Please Enter the Password Here";
        for (const auto& answer : c.answers) {
            dialogs.ExpectInputQuery("Password", prompt, answer);
            prompt = answer ? "Wrong Password. Please Enter the Password Here" : "Please Enter the Password Here";
        }
        form->OpenProject(project);
        dialogs.Verify();

        ASSERT_EQ(form->PictureCount, 3);
        EXPECT_EQ(Graphic(1)->Width(), 41);
        EXPECT_EQ(Edit(1).Text(), "open");
        for (int n : {2, 3}) {
            SCOPED_TRACE(n);
            const THeldPicture* held = AsHeldPicture(Graphic(n));
            if (c.unlocked) {
                EXPECT_EQ(held, nullptr);
                EXPECT_EQ(Graphic(n)->Width(), 40 + n);
                EXPECT_EQ(Edit(n).Text(), n == 2 ? "two" : "three");
                EXPECT_FALSE(Edit(n).ReadOnly());
            } else {
                ASSERT_NE(held, nullptr);
                EXPECT_EQ(held->Reason(), THeldPicture::TReason::Locked);
                ASSERT_NE(held->StoredEntry(), nullptr);
                EXPECT_TRUE(held->StoredEntry()->Header->Encrypted());
                EXPECT_EQ(held->StoredEntry()->Header->FullName(), "Image" + IntToStr(n) + ".jpg");
                EXPECT_TRUE(Edit(n).ReadOnly());
                EXPECT_FALSE(CheckBox(n).Enabled());
            }
        }
        form->WriteIni();
        EXPECT_EQ(TProjectFile(project).Pictures(), stored) << "scrambled captions written back byte for byte";
    }
}

TEST_F(ProjectWindowTest, PicturesThatCannotBeShownAreReportedAndKept)
{
    WriteAlbum(dir.File("trip.pxa"), {{JpegBytes(41, 30), ""}, {"not a picture", ""}});
    const std::vector<TProjectPicture> pictures = {
        {"Image1", "from the album", false},
        {"Image2", "damaged entry", false},
        {dir.File("gone.jpg"), "missing file", false},
        {dir.Path().string(), "a folder", false},
        {"/dev/zero", "a device", false},
        {dir.Write("junk.jpg", "garbage"), "not a picture", false},
        {dir.Write("fine.bmp", BmpBytes(47, 30)), StoredCaption("fine", true, "pw"), true},
    };
    TProjectFile(dir.File("trip.pxp")).Save(pictures, {"pw", true, "T", false});
    // Entries past the album's end come from their sources.
    NewWindow();
    application.SetTitle("Pictoria Compiler");
    ScriptedDialogs dialogs;
    const std::string album = dir.File("trip.pxa");
    const std::string message =
        Format("Couldn't Read Picture 2 from %s: JPEG error: Not a JPEG file: starts with 0x6e 0x6f", {album}) + "\r\r" +
        Format("Couldn't Find Pictures at \r%s\ror\r%s", {album, dir.File("gone.jpg")}) + "\r\r" +
        Format("Couldn't Find Pictures at \r%s\ror\r%s", {album, dir.Path().string()}) + "\r\r" +
        Format("Couldn't Find Pictures at \r%s\ror\r/dev/zero", {album}) + "\r\r" +
        Format("Couldn't Read Picture 6 from %s: JPEG error: Not a JPEG file: starts with 0x67 0x61",
               {dir.File("junk.jpg")});
    dialogs.ExpectMessageBox("Pictoria Compiler", message, IDOK);
    form->OpenProject(dir.File("trip.pxp"));
    dialogs.Verify();
    ASSERT_EQ(form->PictureCount, 7);
    EXPECT_EQ(Graphic(1)->Width(), 41);
    ASSERT_NE(AsHeldPicture(Graphic(2)), nullptr);
    EXPECT_EQ(AsHeldPicture(Graphic(2))->Reason(), THeldPicture::TReason::Unreadable);
    ASSERT_NE(AsHeldPicture(Graphic(2))->StoredEntry(), nullptr);
    EXPECT_EQ(AsHeldPicture(Graphic(2))->StoredEntry()->Bytes.size(), std::string("not a picture").size());
    for (int n : {3, 4, 5, 6})
        EXPECT_EQ(Graphic(n), nullptr) << n;
    EXPECT_EQ(Graphic(7)->Width(), 47);
    EXPECT_EQ(Edit(7).Text(), "fine");
    form->WriteIni();
    EXPECT_EQ(TProjectFile(dir.File("trip.pxp")).Pictures(), pictures) << "nothing lost at the next save";
}

// The password opened picture 1: picture 2, whose data fail behind it, is
// damaged, named as such and never asked for again.
TEST_F(ProjectWindowTest, AProtectedPictureDamagedBehindTheRightPasswordIsNamedDamaged)
{
    WriteAlbum(dir.File("trip.pxa"), {{JpegBytes(41, 30), "pw"}, {JpegBytes(42, 30), "pw"}});
    std::string album = ReadFileBytes(dir.File("trip.pxa"));
    const std::size_t header = album.rfind("PK\x03\x04", album.find("Image2.jpg"));
    album[header + 30 + std::string("/Image2.jpg").size() + 12 + 2] ^= 0x5A;
    dir.Write("trip.pxa", album);
    const std::vector<TProjectPicture> pictures = {{"Image1", StoredCaption("one", true, "pw"), true},
                                                   {"Image2", StoredCaption("two", true, "pw"), true}};
    TProjectFile(dir.File("trip.pxp")).Save(pictures, {"pw", true, "T", false});
    NewWindow();
    application.SetTitle("Pictoria Compiler");
    ScriptedDialogs dialogs;
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "pw");
    dialogs.ExpectMessageBox("Pictoria Compiler",
                             Format("Couldn't Read Picture 2 from %s: the entry is damaged", {dir.File("trip.pxa")}),
                             IDOK);
    form->OpenProject(dir.File("trip.pxp"));
    dialogs.Verify();
    ASSERT_EQ(form->PictureCount, 2);
    EXPECT_EQ(Graphic(1)->Width(), 41);
    ASSERT_NE(AsHeldPicture(Graphic(2)), nullptr);
    EXPECT_EQ(AsHeldPicture(Graphic(2))->Reason(), THeldPicture::TReason::Unreadable);
}

// An album file that holds no album is named with what is wrong with it,
// left as it is, and the pictures come from their sources.
TEST_F(ProjectWindowTest, ADamagedOrForeignAlbumFileIsNamedAndThePicturesComeFromTheirSources)
{
    WriteAlbum(dir.File("good.pxa"), {{JpegBytes(41, 30), ""}, {JpegBytes(42, 30), ""}});
    const std::string good = ReadFileBytes(dir.File("good.pxa"));
    const std::string source = dir.Write("beach.jpg", JpegBytes(45, 30));
    const struct {
        std::string name, bytes, reason;
    } cases[] = {
        {"a text", "Pictures of the trip, to be sorted.\n", "it is not an album file"},
        {"a JPEG", JpegBytes(40, 30), "it is not an album file"},
        {"an album cut inside its first header", good.substr(0, 20), "it is cut short or damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string album = dir.Write("trip.pxa", c.bytes);
        TProjectFile(dir.File("trip.pxp")).Save({{source, "Beach", false}}, {"", true, "Trip", false});
        NewWindow();
        application.SetTitle("Pictoria Compiler");
        ScriptedDialogs dialogs;
        dialogs.ExpectOpen("Open an Album or click Cancel for New Album", "Album File (*.pxp)|*.pxp",
                           {dir.File("trip.pxp")});
        dialogs.ExpectMessageBox("Pictoria Compiler", "Couldn't Read the Album File " + album + ": " + c.reason,
                                 IDOK);
        form->Open1->Click();
        dialogs.Verify();
        ASSERT_EQ(form->PictureCount, 1);
        EXPECT_EQ(Graphic(1)->Width(), 45);
        EXPECT_EQ(Edit(1).Text(), "Beach");
        EXPECT_EQ(ReadFileBytes(album), c.bytes) << "left as it was";
    }
}

// An album file cut short keeps what it still holds: the pictures before the
// cut come from it though their sources are gone, the one the cut went
// through is named and held, and a save writes the pictures back.
TEST_F(ProjectWindowTest, AnAlbumCutShortKeepsThePicturesItStillHolds)
{
    WriteAlbum(dir.File("trip.pxa"), {{JpegBytes(41, 30), ""}, {JpegBytes(42, 30), ""}, {JpegBytes(43, 30), ""}});
    const std::string whole = ReadFileBytes(dir.File("trip.pxa"));
    const std::string album =
        dir.Write("trip.pxa", whole.substr(0, whole.rfind(std::string("PK\x03\x04")) + 60));
    TProjectFile(dir.File("trip.pxp"))
        .Save({{"Image1", "one", false}, {"Image2", "two", false}, {"Image3", "three", false}},
              {"", true, "Trip", false});
    NewWindow();
    application.SetTitle("Pictoria Compiler");
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria Compiler",
                             Format("Couldn't Read All of the Album File %s: it is cut short or damaged", {album}) +
                                 "\r\r" + Format("Couldn't Read Picture 3 from %s: the entry is damaged", {album}),
                             IDOK);
    form->OpenProject(dir.File("trip.pxp"));
    dialogs.Verify();
    ASSERT_EQ(form->PictureCount, 3);
    for (int n = 1; n <= 2; ++n) {
        ASSERT_NE(Graphic(n), nullptr) << n;
        EXPECT_EQ(Graphic(n)->Width(), 40 + n);
    }
    ASSERT_NE(AsHeldPicture(Graphic(3)), nullptr);
    EXPECT_EQ(AsHeldPicture(Graphic(3))->Reason(), THeldPicture::TReason::Unreadable);
    EXPECT_EQ(Edit(3).Text(), "three");

    form->CompileProject(false);
    TZipReader saved;
    saved.SetZipName(album);
    saved.ReadZip();
    ASSERT_EQ(saved.GetCount(), 4);
    for (int n = 1; n <= 2; ++n) {
        SCOPED_TRACE(n);
        TMemoryStream bytes;
        ASSERT_EQ(saved.UnZipToStreamByIndex(&bytes, n), 1);
        bytes.Seek(0, soFromBeginning);
        TJPEGImage picture;
        picture.LoadFromStream(bytes);
        EXPECT_EQ(picture.Width(), 40 + n);
    }
}

// Without the album file, each picture is read from its source by what the
// file holds, whatever its name says: the scanner's bitmap saved as ".jpg".
TEST_F(ProjectWindowTest, SourcesAreReadByWhatTheirFilesHold)
{
    const std::vector<TProjectPicture> pictures = {
        {dir.Write("scan1.jpg", BmpBytes(41, 30)), "scan", false},
        {dir.Write("photo.bmp", JpegBytes(42, 30)), "photo", false},
    };
    TProjectFile(dir.File("trip.pxp")).Save(pictures, {"", true, "T", false});
    NewWindow();
    ScriptedDialogs dialogs; // a message would fail the test
    form->OpenProject(dir.File("trip.pxp"));
    ASSERT_EQ(form->PictureCount, 2);
    ASSERT_NE(dynamic_cast<const TBitmap*>(Graphic(1)), nullptr);
    EXPECT_EQ(Graphic(1)->Width(), 41);
    ASSERT_NE(dynamic_cast<const TJPEGImage*>(Graphic(2)), nullptr);
    EXPECT_EQ(Graphic(2)->Width(), 42);
}

TEST_F(ProjectWindowTest, AProjectFromWindowsOpens)
{
    WriteAlbum(dir.File("trip.pxa"), {{JpegBytes(41, 30), ""}, {JpegBytes(42, 30), "pw"}});
    const std::string scrambled = pictoalbum::Encrypt("S\xE9" "ance", pictoalbum::GetWordPass("pw"));
    const std::string password = pictoalbum::Encrypt("pw", pictoalbum::PasswordKeyWord);
    dir.Write("trip.pxp", "[Image1]\r\nPicture=C:\\Photos\\caf\xE9.jpg\r\nCaption=Caf\xE9\r\nEncrypt=0\r\n\r\n"
                          "[Image2]\r\nPicture=C:\\Photos\\s.jpg\r\nCaption=" + scrambled + "\r\nEncrypt=1\r\n\r\n"
                          "[Settings]\r\nPassword=\"" + password + "\"\r\nAllowSave=1\r\nTitle=F\xEAte\r\n");
    NewWindow();
    ScriptedDialogs dialogs;
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "pw");
    form->OpenProject(dir.File("trip.pxp"));
    EXPECT_TRUE(dialogs.LastQueryMasked()) << "the password shows as stars";
    ASSERT_EQ(form->PictureCount, 2);
    EXPECT_EQ(Edit(1).Text(), "Caf\xC3\xA9");
    EXPECT_EQ(Edit(2).Text(), "S\xC3\xA9" "ance");
    EXPECT_EQ(Graphic(2)->Width(), 42);
    EXPECT_EQ(form->PictureSources.at(0), "C:\\Photos\\caf\xE9.jpg");
    EXPECT_EQ(form->Title->Text(), "F\xC3\xAAte");
    EXPECT_EQ(settings.dialog.Settings().Password, "pw");
}

// Typed here, "péx" is UTF-8; the Windows programs locked the album with its
// Windows-1252 bytes and scrambled the caption with their key word.
TEST_F(ProjectWindowTest, AWindowsAlbumWithANonAsciiPasswordOpensAndSavesInUtf8)
{
    const std::string windows = "p\xE9x";
    const std::string typed = "p\xC3\xA9x";
    // The typed form is tried first, and the check byte must refuse it,
    // which a wrong password passes 1 time in 256: the album is written again
    // until it does.
    const std::string album = dir.File("trip.pxa");
    ASSERT_TRUE(MadeUntilRefused(
        [&] {
            std::filesystem::remove(album);
            WriteAlbum(album, {{JpegBytes(41, 30), ""}, {JpegBytes(42, 30), windows}});
        },
        [&] { return CheckBytesRefuse(album, {typed}); }));
    const std::string scrambled = pictoalbum::Encrypt("S\xE9" "ance", pictoalbum::GetWordPass(windows));
    const std::string password = pictoalbum::Encrypt(windows, pictoalbum::PasswordKeyWord);
    dir.Write("trip.pxp", "[Image1]\r\nPicture=Image1\r\nCaption=Open\r\nEncrypt=0\r\n\r\n"
                          "[Image2]\r\nPicture=Image2\r\nCaption=" + scrambled + "\r\nEncrypt=1\r\n\r\n"
                          "[Settings]\r\nPassword=\"" + password + "\"\r\nAllowSave=1\r\nTitle=Trip\r\n");
    NewWindow();
    ScriptedDialogs dialogs;
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", typed);
    form->OpenProject(dir.File("trip.pxp"));
    dialogs.Verify();
    ASSERT_EQ(form->PictureCount, 2);
    ASSERT_NE(Graphic(2), nullptr);
    EXPECT_EQ(Graphic(2)->Width(), 42);
    EXPECT_EQ(Edit(2).Text(), "S\xC3\xA9" "ance");
    EXPECT_EQ(settings.dialog.Settings().Password, typed);

    // Saved, everything is locked and scrambled with the UTF-8 bytes, which
    // the peers on Linux take for the typed text.
    form->Save1Click(nullptr);
    ExpectPeersAccept(dir, dir.File("trip.pxa"), typed);
    std::map<std::string, std::string> entries = PythonEntries(dir, dir.File("trip.pxa"), typed);
    EXPECT_EQ(entries["/Image2.jpg"].substr(0, 2), "\xFF\xD8");
    const std::string saved = pictoalbum::Encrypt("S\xC3\xA9" "ance", pictoalbum::GetWordPass(typed));
    EXPECT_NE(entries["/pictoview.ini"].find("Caption=" + pictoalbum::LineOf(saved)), std::string::npos);
    const TProjectFile project(dir.File("trip.pxp"));
    EXPECT_EQ(project.Settings().Password, typed);
    EXPECT_EQ(project.Pictures().at(1).Caption, saved);
}

TEST_F(ProjectWindowTest, SettingsDialogOkConfirmsAndCancelPutsTheConfirmedBack)
{
    const std::filesystem::path startFolder = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    NewWindow();
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("Open an Album or click Cancel for New Album", "Album File (*.pxp)|*.pxp", {});
    form->Show();
    ASSERT_EQ(form->ProjectFileName, UntitledProject);

    dialogs.ExpectShowModal("Settings", mrOk, [&](TForm&) {
        EXPECT_EQ(settings.dialog.Edit1->Text(), "Untitled");
        QTest::keyClicks(settings.dialog.Edit2->Widget(), "newpass");
        QTest::mouseClick(settings.dialog.CheckBox2->Widget(), Qt::LeftButton, {}, QPoint(4, 8));
        QTest::mouseClick(settings.dialog.CheckBox1->Widget(), Qt::LeftButton, {}, QPoint(4, 8));
        QTest::mouseClick(settings.dialog.BitBtn1->Widget(), Qt::LeftButton);
    });
    QTest::mouseClick(form->BitBtn8->Widget(), Qt::LeftButton);
    dialogs.Verify();
    const TAlbumSettings confirmed{"newpass", false, "", true};
    EXPECT_EQ(settings.dialog.Settings(), confirmed);
    EXPECT_TRUE(form->Modified);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "OK writes nothing to disk";

    form->Modified = false;
    dialogs.ExpectShowModal("Settings", mrCancel, [&](TForm&) {
        EXPECT_EQ(settings.dialog.Settings(), confirmed);
        QTest::keyClicks(settings.dialog.Edit2->Widget(), "zzz");
        QTest::mouseClick(settings.dialog.CheckBox2->Widget(), Qt::LeftButton, {}, QPoint(4, 8));
        QTest::mouseClick(settings.dialog.BitBtn2->Widget(), Qt::LeftButton);
    });
    form->Settings1->Click();
    dialogs.Verify();
    EXPECT_EQ(settings.dialog.Settings(), confirmed);
    EXPECT_FALSE(form->Modified);
    std::filesystem::current_path(startFolder);
}

TEST_F(ProjectWindowTest, EscapeClosesTheSettingsDialogAsCancelDoes)
{
    NewWindow();
    form->ProjectFileName = dir.File("trip.pxp");
    settings.dialog.SetSettings({"kept", true, "", false});
    form->Modified = false;
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(settings.dialog.Edit2->Widget(), "zzz");
        QTest::keyClick(settings.dialog.Edit2->Widget(), Qt::Key_Escape);
    });
    form->Settings1->Click();
    EXPECT_FALSE(settings.dialog.Visible());
    EXPECT_EQ(settings.dialog.ModalResult(), mrCancel);
    EXPECT_EQ(settings.dialog.Settings().Password, "kept");
    EXPECT_FALSE(form->Modified);
}

TEST_F(ProjectWindowTest, ALongTitleOrCaptionShowsItsStart)
{
    NewWindow();
    const std::string beach = dir.Write("beach.jpg", JpegBytes(41, 30));
    AddFromFile(beach, "Beach at dawn", false);
    form->Title->SetText("Beach holidays");
    form->Widget()->show(); // as the user sees it, without the opening's dialog
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
    form->BitBtn8->SetFocus(); // the user is typing in neither
    const auto start = [](TEdit& edit) { return edit.Widget()->grab().toImage().copy(0, 0, 60, edit.Height()); };
    const QImage title = start(*form->Title);
    const QImage caption = start(Edit(1));
    form->Title->SetText("Beach holidays with the long walk home along the cliffs");
    Edit(1).SetText("Beach at dawn, with the long walk home along the cliffs and trailing blanks   ");
    EXPECT_EQ(start(*form->Title), title);
    EXPECT_EQ(start(Edit(1)), caption);
}

TEST_F(ProjectWindowTest, TheTitleIsMirroredInTheSettingsAndMarksTheAlbumChanged)
{
    NewWindow();
    form->ProjectFileName = dir.File("trip.pxp");
    QTest::keyClicks(form->Title->Widget(), "Trip");
    EXPECT_EQ(settings.dialog.Edit3->Text(), "Trip");
    EXPECT_EQ(form->Caption(), "Trip (trip.pxp) - Pictoria");
    EXPECT_TRUE(form->Modified);
    form->Modified = false;
    form->Title->SetText("");
    EXPECT_EQ(form->Caption(), " (trip.pxp) - Pictoria");
    EXPECT_FALSE(form->Modified) << "emptying the title changes nothing to save";
}

TEST_F(ProjectWindowTest, HostileProjectFilesOpenAsFarAsTheyMakeSense)
{
    application.SetTitle("Pictoria Compiler");
    const std::string garbage = dir.Write("garbage.pxp", std::string("\x00\xff[Image1]\nPicture\x00=x\n[[[\x01", 22));
    const std::string gap = dir.Write("gap.pxp", "[Image1]\r\nPicture=" + dir.Write("a.bmp", BmpBytes(41, 30)) +
                                                   "\r\n[Image3]\r\nPicture=c.jpg\r\n[Settings]\r\nAllowSave=x\r\n");
    const struct {
        std::string project;
        std::string message; // "" for none
        int pictures;
    } cases[] = {
        {garbage, "", 0},
        {gap, "", 1},
        {dir.Path().string(), dir.Path().string() + " is not an album project file.", 0},
        {"/dev/zero", "/dev/zero is not an album project file.", 0},
        {dir.File("none.pxp"), "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.project);
        NewWindow();
        ScriptedDialogs dialogs;
        if (!c.message.empty())
            dialogs.ExpectMessageBox("Pictoria Compiler", c.message, IDOK);
        form->OpenProject(c.project);
        dialogs.Verify();
        EXPECT_EQ(form->PictureCount, c.pictures);
        EXPECT_TRUE(settings.dialog.CheckBox1->Checked());
    }
}

} // namespace pictomake
