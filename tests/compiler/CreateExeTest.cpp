// Create EXE: the album program made with the real stub, run with a fake
// viewer that records how it was started; the three missing files; the
// album program made from a saved album only, and said so when it is stale.
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "AlbumProgram.h"
#include "AlbumWindowFixture.h"
#include "NotFoundException.h"
#include "PeerCheck.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"

namespace pictomake {

namespace {

const std::string NotMade = " file not found in the Pictoria folder.  The EXE file could not be made.";

class CreateExeTest : public AlbumWindowFixture {
protected:
    void InstallViewer() { dir.Write("pictoria/pictoview.exe", FakeViewer); }
    void InstallStub() { dir.Write("pictoria/sfx.exe", ReadFileBytes(SFX_STUB_PATH)); }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.File(name)); }
    void ExpectCompiled(ScriptedDialogs& dialogs, int view)
    {
        dialogs.ExpectMessageBox("Pictoria Compiler", "EXE has been Compiled", IDOK);
        dialogs.ExpectMessageBox("View Pictoria?", "Do you want to view the finished Pictoria?", view);
    }
};

} // namespace

TEST_F(CreateExeTest, TheAlbumProgramStartsTheViewerOnTheAlbum)
{
    InstallViewer();
    InstallStub();
    NamedAlbum(dir.File("trip.pxp"));
    form->Save1Click(nullptr);
    RecordingShell shell;
    ScriptedDialogs dialogs;
    ExpectCompiled(dialogs, IDYES);
    form->Compile1Click(nullptr);
    dialogs.Verify();

    const std::string program = dir.File("trip.EXE");
    EXPECT_EQ(shell.Started, (std::vector<RecordingShell::TStart>{{program, {}}}));
    EXPECT_TRUE(Exists("trip.zip")) << "the intermediate archive stays";
    struct stat info {};
    ASSERT_EQ(::stat(program.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u);

    std::filesystem::create_directories(dir.File("tmp"));
    std::filesystem::create_directories(dir.File("results"));
    const TCommandResult run = RunCommand("env TMPDIR=" + ShellQuote(dir.File("tmp")) +
                                          " SFX_TEST_RESULTS=" + ShellQuote(dir.File("results")) + " " +
                                          ShellQuote(program) + " </dev/null >/dev/null 2>&1");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(ReadFileBytes(dir.File("results/arguments")).ends_with("/trip.pxa\n"));
    EXPECT_EQ(ReadFileBytes(dir.File("results/album")), ReadFileBytes(dir.File("trip.pxa")));

    ExpectCompiled(dialogs, IDNO);
    form->Compile1Click(nullptr);
    EXPECT_EQ(shell.Started.size(), 1u) << "No starts nothing";
}

TEST_F(CreateExeTest, AMissingFileIsNamedAndNothingAfterItIsMade)
{
    const struct {
        const char* name;
        bool viewer, album, stub;
        std::string message;
        bool archiveMade;
    } cases[] = {
        {"no viewer", false, true, true, "PICTOVIEW.EXE" + NotMade, false},
        {"no album", true, false, true, "<album>" + NotMade, false},
        {"no stub", true, true, false, "SFX.EXE" + NotMade, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(CompilerFolder());
        std::filesystem::create_directories(CompilerFolder());
        for (const char* name : {"trip.pxa", "trip.zip", "trip.EXE"})
            std::filesystem::remove(dir.File(name));
        if (c.viewer)
            InstallViewer();
        if (c.stub)
            InstallStub();
        NamedAlbum(dir.File("trip.pxp"));
        if (c.album)
            form->CompileProject(false);
        std::string message = c.message;
        if (message.starts_with("<album>"))
            message.replace(0, 7, dir.File("trip.pxa"));
        try {
            form->CompileProject(true);
            ADD_FAILURE() << "no error";
        } catch (const ENotFoundException& e) {
            EXPECT_EQ(e.what(), message);
        }
        EXPECT_EQ(Exists("trip.zip"), c.archiveMade);
        EXPECT_FALSE(Exists("trip.EXE"));
    }
}

// Linux names may hold the characters of wildcard patterns: the album
// program carries its own album, however it is named, and nothing beside it.
TEST_F(CreateExeTest, AnAlbumNamedWithPatternCharactersIsCarriedAsItIs)
{
    InstallViewer();
    InstallStub();
    dir.Write("KidsA.pxa", "another album");
    for (const std::string album : {"Best <2024>", "Kids?"}) {
        SCOPED_TRACE(album);
        NamedAlbum(dir.File(album + ".pxp"));
        form->Save1Click(nullptr);
        RecordingShell shell;
        ScriptedDialogs dialogs;
        ExpectCompiled(dialogs, IDNO);
        form->Compile1Click(nullptr);
        dialogs.Verify();

        const std::map<std::string, std::string> entries = PythonEntries(dir, dir.File(album + ".zip"));
        std::vector<std::string> names;
        for (const auto& [name, data] : entries)
            names.push_back(name);
        EXPECT_EQ(names, (std::vector<std::string>{dir.File(album + ".pxa"), dir.File("pictoria/pictoview.exe")}));
        EXPECT_TRUE(entries.contains(dir.File(album + ".pxa")) &&
                    entries.at(dir.File(album + ".pxa")) == ReadFileBytes(dir.File(album + ".pxa")));
    }
}

TEST_F(CreateExeTest, AChangedAlbumIsSavedFirstOrTheProgramIsSaidToBeStale)
{
    InstallViewer();
    InstallStub();
    NamedAlbum(dir.File("trip.pxp"));
    form->Save1Click(nullptr);
    Edit(1).SetText("Changed");
    form->Modified = true;
    RecordingShell shell;
    ScriptedDialogs dialogs;

    dialogs.ExpectMessageBox("Save Changes?", "The Album has changed.  Do you want to save the changes?", IDCANCEL);
    form->Compile1Click(nullptr);
    dialogs.Verify();
    EXPECT_FALSE(Exists("trip.EXE"));

    dialogs.ExpectMessageBox("Save Changes?", "The Album has changed.  Do you want to save the changes?", IDNO);
    dialogs.ExpectMessageBox("Pictoria Compiler",
                             "The album program is made from the album as it was last saved: the changes since then "
                             "are not in it.",
                             IDOK);
    ExpectCompiled(dialogs, IDNO);
    form->Compile1Click(nullptr);
    dialogs.Verify();
    EXPECT_TRUE(Exists("trip.EXE"));
    EXPECT_TRUE(form->Modified);

    dialogs.ExpectMessageBox("Save Changes?", "The Album has changed.  Do you want to save the changes?", IDYES);
    ExpectCompiled(dialogs, IDNO);
    form->Compile1Click(nullptr);
    dialogs.Verify();
    EXPECT_FALSE(form->Modified);
    EXPECT_NE(PythonEntries(dir, dir.File("trip.pxa"))["/pictoview.ini"].find("Caption=Changed"), std::string::npos);
}

} // namespace pictomake
