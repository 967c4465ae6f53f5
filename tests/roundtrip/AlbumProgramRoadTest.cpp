// The album's whole road: the compiler adds the pictures (one protected),
// sets the title and password, saves and makes the album program; run, the
// program hands the album over to the viewer beside it (a stand-in that
// keeps a copy), and that album opens in the viewer with every caption, the
// password asked once, and in Python's zipfile with the password.
#include <filesystem>
#include <string>

#include "AlbumProgram.h"
#include "AlbumWindowFixture.h"
#include "PeerCheck.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "ViewerWindow.h"

namespace pictomake {

namespace {

class AlbumProgramRoadTest : public AlbumWindowFixture {};

struct RoadPicture {
    std::string fileName;
    int width;
    std::string caption;
    bool isProtected;
};

} // namespace

TEST_F(AlbumProgramRoadTest, TheAlbumProgramDeliversTheAlbumTheCompilerMade)
{
    const RoadPicture pictures[] = {
        {"beach.jpg", 41, "Beach at noon", false},
        {"dunes.jpg", 42, "Dünen – geschützt", true},
        {"sea.jpg", 43, "Sea", false},
    };
    NewWindow();
    for (const RoadPicture& picture : pictures)
        AddFromFile(dir.Write(picture.fileName, PictureOfSize(picture.width, 30, true)), picture.caption,
                    picture.isProtected);
    form->Title->SetText("Trip");
    settings.dialog.SetSettings({"secret", true, "Trip", false});
    form->ProjectFileName = dir.File("trip.pxp");
    dir.Write("pictoria/pictoview.exe", FakeViewer);
    dir.Write("pictoria/sfx.exe", ReadFileBytes(SFX_STUB_PATH));
    {
        const RecordingShell shell;
        ScriptedDialogs dialogs;
        form->Save1Click(nullptr);
        dialogs.ExpectMessageBox("Pictoria Compiler", "EXE has been Compiled", IDOK);
        dialogs.ExpectMessageBox("View Pictoria?", "Do you want to view the finished Pictoria?", IDNO);
        form->Compile1Click(nullptr);
        dialogs.Verify();
    }

    std::filesystem::create_directories(dir.File("tmp"));
    std::filesystem::create_directories(dir.File("results"));
    const TCommandResult run = RunCommand("env TMPDIR=" + ShellQuote(dir.File("tmp")) +
                                          " SFX_TEST_RESULTS=" + ShellQuote(dir.File("results")) + " " +
                                          ShellQuote(dir.File("trip.EXE")) + " </dev/null >/dev/null 2>&1");
    ASSERT_EQ(run.ExitCode, 0);
    const std::string delivered = dir.File("results/album");
    ASSERT_EQ(ReadFileBytes(delivered), ReadFileBytes(dir.File("trip.pxa")));

    pictoview::ViewerWindow viewer;
    ScriptedDialogs dialogs;
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "secret");
    viewer.Open(delivered);
    dialogs.Verify();
    ASSERT_EQ(viewer.form.PictureCount, static_cast<int>(std::size(pictures)));
    for (int n = 1; n <= viewer.form.PictureCount; ++n) {
        SCOPED_TRACE(pictures[n - 1].fileName);
        EXPECT_EQ(viewer.PictureWidth(n), pictures[n - 1].width);
        EXPECT_EQ(viewer.Caption(n), pictures[n - 1].caption);
    }
    EXPECT_EQ(viewer.form.Caption(), "Trip - Pictoria");

    const auto entries = PythonEntries(dir, delivered, "secret");
    EXPECT_EQ(entries.size(), std::size(pictures) + 1) << "the settings file and each picture";
    for (const auto& [name, bytes] : entries) {
        if (name != "/pictoview.ini") {
            EXPECT_TRUE(bytes.starts_with("\xFF\xD8")) << name << " reads back as JPEG data";
        }
    }
}

} // namespace pictomake
