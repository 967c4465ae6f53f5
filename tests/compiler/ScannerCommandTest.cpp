// "Add from Scanner" on the main window, end to end through the scripted
// TWAIN source manager: the menu adds the scanned picture, a failing step
// is told, a cancel adds nothing quietly, and the menu cannot start a
// second acquisition while one runs.
#include <QApplication>
#include <QClipboard>
#include <QTimer>
#include <gtest/gtest.h>

#include "FakeTwain.h"
#include "GlobalMemory.h"
#include "GridForm.h"
#include "TempDir.h"

namespace pictomake {

namespace {

// A grid in the program as started, whose messages carry its title.
class ScannerGrid : public GridForm {
public:
    explicit ScannerGrid(int pictures) : GridForm(pictures) { application.SetTitle("Pictoria Compiler"); }
};

const std::string Acquired =
    "PARENT OPENDSM 0, IDENTITY USERSELECT 0, IDENTITY GETFIRST 0, IDENTITY OPENDS 0, CAPABILITY SET 0, "
    "USERINTERFACE ENABLEDS 0, EVENT PROCESSEVENT 4, IMAGENATIVEXFER GET 6, PENDINGXFERS ENDXFER 0, "
    "USERINTERFACE DISABLEDS 0, IDENTITY CLOSEDS 0, PARENT CLOSEDSM 0";

// The picture passes in memory: what the user had on the clipboard stays.
TEST(ScannerCommand, TheMenuAddsTheScannedPicture)
{
    const FakeTwain fake("sources Flatbed\nselect Flatbed\nevent XFERREADY\nxfer done 24 64 48 0\n");
    ScannerGrid grid(2);
    QApplication::clipboard()->setText("the user's words");
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Save Picture to Harddrive?", "Whould you like to save this picture to the harddrive?",
                             IDNO);
    grid.form.AddScanner1->Click();
    ASSERT_EQ(grid.form.PictureCount, 3);
    const TGraphic* picture = grid.Image(3).Picture().Graphic();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 64);
    EXPECT_EQ(picture->Height(), 48);
    EXPECT_EQ(grid.form.PictureSources.at(2), "Image3");
    EXPECT_EQ(grid.Edit(3).Text(), "Put Caption Here");
    EXPECT_TRUE(grid.form.Modified);
    EXPECT_EQ(fake.Calls(), Acquired);
    EXPECT_EQ(GlobalLiveBlocks(), 0u);
    EXPECT_EQ(QApplication::clipboard()->text(), "the user's words");
}

// A scanned picture is written as the bitmap it is, whatever name it is
// given; the project reopens it from that file once its album file is gone.
TEST(ScannerCommand, AScanSavedUnderAJpegNameReopensFromItsFile)
{
    const FakeTwain fake("sources Flatbed\nselect Flatbed\nevent XFERREADY\nxfer done 24 64 48 0\n");
    TempDir dir;
    const std::string scan = dir.File("scan1.jpg");
    const std::string project = dir.File("trip.pxp");
    {
        ScannerGrid grid(0);
        ScriptedDialogs dialogs;
        dialogs.ExpectMessageBox("Save Picture to Harddrive?",
                                 "Whould you like to save this picture to the harddrive?", IDYES);
        dialogs.ExpectSave(grid.form.SavePictureDialog1->Title, grid.form.SavePictureDialog1->Filter, scan);
        grid.form.AddScanner1->Click();
        dialogs.Verify();
        ASSERT_EQ(grid.form.PictureSources, std::vector<std::string>{scan});
        EXPECT_EQ(ReadFileBytes(scan).substr(0, 2), "BM") << "written as the bitmap it is";
        grid.form.ProjectFileName = project;
        grid.form.WriteIni();
    }
    ScannerGrid reopened(0);
    ScriptedDialogs dialogs; // a message would fail the test
    dialogs.ExpectOpen("Open an Album or click Cancel for New Album", "Album File (*.pxp)|*.pxp", {project});
    reopened.form.Open1->Click();
    dialogs.Verify();
    ASSERT_EQ(reopened.form.PictureCount, 1);
    const TGraphic* picture = reopened.Image(1).Picture().Graphic();
    ASSERT_NE(dynamic_cast<const TBitmap*>(picture), nullptr);
    EXPECT_EQ(picture->Width(), 64);
    EXPECT_EQ(picture->Height(), 48);
}

TEST(ScannerCommand, AFailingStepIsToldAndAddsNothing)
{
    const FakeTwain fake("sources Flatbed\nselect Flatbed\nanswer IDENTITY OPENDS 1 4\n");
    ScannerGrid grid(2);
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria Compiler",
                             "Scanning failed while opening the scanner: the scanner is in use (TWAIN condition "
                             "code 4).",
                             IDOK);
    grid.form.AddScanner1->Click();
    EXPECT_EQ(grid.form.PictureCount, 2);
    EXPECT_EQ(grid.form.FindComponent("Panel3"), nullptr);
}

// Each way an acquisition brings no picture: what the user is told, if
// anything, and that the album stays as it was.
TEST(ScannerCommand, WithoutAPictureTheUserIsToldOfFailuresAndNotOfCancels)
{
    struct NoPictureCase {
        const char* name;
        std::string script;
        std::string message; // "": none
    };
    const std::string chosen = "sources Flatbed\nselect Flatbed\n";
    const NoPictureCase cases[] = {
        {"source's window closed", chosen + "event CLOSEDSREQ\n", ""},
        {"transfer cancelled", chosen + "event XFERREADY\nxfer cancel 0\n", ""},
        {"transfer failed", chosen + "event XFERREADY\nxfer fail 2\n",
         "Scanning failed while scanning: not enough memory (TWAIN condition code 2)."},
        {"no scanner", "select Flatbed\n",
         "Scanning failed while selecting the scanner: no scanner found (TWAIN condition code 3)."},
    };
    for (const NoPictureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const FakeTwain fake(c.script);
        ScannerGrid grid(2);
        ScriptedDialogs dialogs;
        if (!c.message.empty())
            dialogs.ExpectMessageBox("Pictoria Compiler", c.message, IDOK);
        grid.form.AddScanner1->Click();
        EXPECT_EQ(grid.form.PictureCount, 2);
        EXPECT_EQ(grid.form.FindComponent("Panel3"), nullptr);
    }
}

TEST(ScannerCommand, ACancelledSelectionAddsNothingAndSaysNothing)
{
    const FakeTwain fake("sources Flatbed\nselect cancel\n");
    ScannerGrid grid(2);
    ScriptedDialogs dialogs;
    grid.form.AddScanner1->Click();
    EXPECT_EQ(grid.form.PictureCount, 2);
    EXPECT_EQ(fake.Calls(), "PARENT OPENDSM 0, IDENTITY USERSELECT 3, PARENT CLOSEDSM 0");
}

TEST(ScannerCommand, TheMenuCannotStartASecondAcquisitionWhileOneRuns)
{
    const FakeTwain fake("sources Flatbed\nselect Flatbed\nevent NONE\nevent XFERREADY\nxfer done 24 64 48 0\n");
    ScannerGrid grid(2);
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Save Picture to Harddrive?", "Whould you like to save this picture to the harddrive?",
                             IDNO);
    int countDuringLoop = 0;
    QTimer::singleShot(0, [&] {
        grid.form.AddPicturefromScanner1->Click();
        countDuringLoop = grid.form.PictureCount;
    });
    grid.form.AddScanner1->Click();
    EXPECT_EQ(countDuringLoop, 3); // the running acquisition's unit only
    EXPECT_EQ(grid.form.PictureCount, 3);
    EXPECT_EQ(fake.Calls(), "PARENT OPENDSM 0, IDENTITY USERSELECT 0, IDENTITY GETFIRST 0, IDENTITY OPENDS 0, "
                            "CAPABILITY SET 0, USERINTERFACE ENABLEDS 0, EVENT PROCESSEVENT 5, EVENT PROCESSEVENT 4, "
                            "IMAGENATIVEXFER GET 6, PENDINGXFERS ENDXFER 0, USERINTERFACE DISABLEDS 0, "
                            "IDENTITY CLOSEDS 0, PARENT CLOSEDSM 0");
}

} // namespace

} // namespace pictomake
