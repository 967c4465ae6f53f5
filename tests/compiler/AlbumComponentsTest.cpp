// The main window's album writer and scanner as the window sets them up.
#include <gtest/gtest.h>

#include "GuiTestApp.h"
#include "MainForm.h"
#include "ScriptedDialogs.h"

namespace pictomake {

namespace {

class NoRegistrar : public TFileTypeRegistrar {
public:
    void Register(const std::vector<TFileTypeKey>&) override {}
};

class AlbumComponentsTest : public ::testing::Test {
protected:
    TApplication& application = TestApplication();
    NoRegistrar registrar;
    TForm1 form{registrar, "/opt/pictoria/Pictomake", {}};
};

} // namespace

TEST_F(AlbumComponentsTest, TheAlbumWriterPacksHardestAndKeepsPaths)
{
    const TZipWriter& writer = form.ZipWriter1;
    EXPECT_EQ(writer.PackLevel, 9);
    EXPECT_TRUE(writer.RecreateDirs);
    EXPECT_TRUE(writer.Recurse);
    EXPECT_TRUE(writer.StorePaths());
    EXPECT_TRUE(writer.StoreVolumes());
    EXPECT_EQ(writer.OverwriteMode, Always);
    EXPECT_FALSE(writer.DoProcessMessages);
    EXPECT_EQ(writer.MultiZipInfo().BlockSize, 1457600);
    EXPECT_EQ(writer.MultiZipInfo().FirstBlockSize, 1457600);
    EXPECT_EQ(writer.GetMultiMode(), mmNone);
}

TEST(AlbumEngineQuestions, ReachTheUserAsDialogsWhileTheMainWindowLives)
{
    TestApplication();
    ScriptedDialogs dialogs;
    {
        NoRegistrar registrar;
        TForm1 form{registrar, "/opt/pictoria/Pictomake", {}};
        dialogs.ExpectMessageBox("File Exists Alert", "Replace existing file a.jpg?", IDYES);
        EXPECT_EQ(ZipUI().MessageBox("Replace existing file a.jpg?", "File Exists Alert", TMsgButtons::YesNo),
                  TMsgResult::Yes);
    }
    // Without a window the headless default answers with the cautious choice.
    EXPECT_EQ(ZipUI().MessageBox("Replace existing file a.jpg?", "File Exists Alert", TMsgButtons::YesNo),
              TMsgResult::No);
}

TEST_F(AlbumComponentsTest, TheScannerAnnouncesTheFreewareIdentity)
{
    ASSERT_EQ(form.FindComponent("AcquireImg1"), form.AcquireImg1);
    const TAcquireImage& scanner = *form.AcquireImg1;
    EXPECT_TRUE(scanner.SHOWhideUI);
    EXPECT_EQ(scanner.AppInfo(), "Twain Freeware Component");
    EXPECT_EQ(scanner.AppManufacturer(), "none");
    EXPECT_EQ(scanner.AppProductFamily(), "none");
    EXPECT_EQ(scanner.AppProductName(), "none");
    EXPECT_EQ(scanner.AppVersionMajorNum, 0);
    EXPECT_EQ(scanner.AppVersionMinorNum, 0);
    EXPECT_EQ(scanner.Language, 0);
    EXPECT_EQ(scanner.Country, 0);
}

TEST_F(AlbumComponentsTest, IdentityTextsKeepWhatTheIdentityHolds)
{
    TAcquireImage& scanner = *form.AcquireImg1;
    const std::string longText(40, 'x');
    scanner.SetAppInfo(longText);
    scanner.SetAppManufacturer(std::string("Acme\0Corp", 9));
    scanner.SetAppProductFamily("");
    scanner.SetAppProductName(std::string(33, 'n'));
    EXPECT_EQ(scanner.AppInfo(), std::string(33, 'x'));
    EXPECT_EQ(scanner.AppManufacturer(), "Acme");
    EXPECT_EQ(scanner.AppProductFamily(), "");
    EXPECT_EQ(scanner.AppProductName(), std::string(33, 'n'));
}

} // namespace pictomake
