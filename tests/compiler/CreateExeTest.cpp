// Create EXE: the album program made with the real stub, run with a fake
// viewer that records how it was started; the three missing files; the
// album program made from a saved album only, and said so when it is stale;
// a file of the user's under the intermediate archive's name replaced only
// when the user says so.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include <QTest>

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
    // The project opened as the user opens it: chosen when the window shows.
    void OpenInShownWindow(const std::string& project)
    {
        NewWindow();
        ScriptedDialogs dialogs;
        dialogs.ExpectOpen("Open an Album or click Cancel for New Album", "Album File (*.pxp)|*.pxp", {project});
        form->Show();
    }
    void ClickCreateExe() const { QTest::mouseClick(form->BitBtn5->Widget(), Qt::LeftButton); }
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

// A name at the system's limit (251 characters and ".pxp") gives the archive
// and the program under the same name, and nothing else beside them.
TEST_F(CreateExeTest, AnAlbumNamedUpToTheSystemsLimitIsMadeIntoItsProgram)
{
    InstallViewer();
    InstallStub();
    const std::filesystem::path folder = dir.Path() / "long";
    std::filesystem::create_directories(folder);
    const std::string name(251, 'n');
    NamedAlbum((folder / (name + ".pxp")).string());
    form->Save1Click(nullptr);
    RecordingShell shell;
    ScriptedDialogs dialogs;
    ExpectCompiled(dialogs, IDNO);
    form->Compile1Click(nullptr);
    dialogs.Verify();
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{name + ".EXE", name + ".pxa", name + ".pxp", name + ".zip"}));
    const std::map<std::string, std::string> entries = PythonEntries(dir, (folder / (name + ".EXE")).string());
    EXPECT_TRUE(entries.contains((folder / (name + ".pxa")).string()));
}

// Only an archive Create EXE made for this album is deleted unasked; any other
// file under its name is the user's until the user says Yes.
TEST_F(CreateExeTest, AFileOfTheUsersUnderTheArchiveNameIsReplacedOnlyOnYes)
{
    InstallViewer();
    InstallStub();
    NamedAlbum(dir.File("other.pxp"));
    form->Save1Click(nullptr);
    {
        RecordingShell shell;
        ScriptedDialogs dialogs;
        ExpectCompiled(dialogs, IDNO);
        form->Compile1Click(nullptr);
    }
    const std::string otherAlbumsArchive = ReadFileBytes(dir.File("other.zip"));
    dir.Write("notes.txt", "my notes");
    RunChecked("cd " + ShellQuote(dir.Folder()) + " && zip -q users.zip notes.txt");
    const std::string usersZip = ReadFileBytes(dir.File("users.zip"));

    NamedAlbum(dir.File("pw.pxp"));
    form->Save1Click(nullptr);
    OpenInShownWindow(dir.File("pw.pxp"));
    const std::string question =
        dir.File("pw.zip") + " already exists and is not this album's archive.  Do you want to replace it?";
    const struct {
        const char* name;
        std::string contents;
    } cases[] = {
        {"a zip archive of the user's", usersZip},
        {"another album's archive", otherAlbumsArchive},
        {"no archive", "plain text"},
        {"an empty file", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("pw.zip", c.contents);
        RecordingShell shell;
        ScriptedDialogs dialogs;
        dialogs.ExpectMessageBox("Replace File?", question, IDNO);
        ClickCreateExe();
        dialogs.Verify();
        EXPECT_EQ(dialogs.LastMessageFlags(), MB_YESNO | MB_ICONQUESTION);
        EXPECT_TRUE(ReadFileBytes(dir.File("pw.zip")) == c.contents) << "the file is as it was";
        EXPECT_FALSE(Exists("pw.EXE"));
    }

    dir.Write("pw.zip", usersZip);
    RecordingShell shell;
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Replace File?", question, IDYES);
    ExpectCompiled(dialogs, IDNO);
    ClickCreateExe();
    dialogs.Verify();
    EXPECT_TRUE(Exists("pw.EXE"));
    const std::map<std::string, std::string> entries = PythonEntries(dir, dir.File("pw.zip"));
    EXPECT_TRUE(entries.contains(dir.File("pw.pxa")) && entries.contains(dir.File("pictoria/pictoview.exe")));
    EXPECT_EQ(entries.size(), 2u);

    // The archive is this album's now: made again without a question.
    ExpectCompiled(dialogs, IDNO);
    ClickCreateExe();
    dialogs.Verify();
}

// A project named on the command line may be named from the working folder:
// the archive still holds the album under its full path, and is known again.
TEST_F(CreateExeTest, AProjectNamedFromTheWorkingFolderIsCarriedUnderItsFullPath)
{
    InstallViewer();
    InstallStub();
    const std::filesystem::path startFolder = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    NamedAlbum("pw.pxp");
    form->Save1Click(nullptr);
    RecordingShell shell;
    ScriptedDialogs dialogs;
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        ExpectCompiled(dialogs, IDNO);
        form->Compile1Click(nullptr);
        dialogs.Verify();
    }
    std::filesystem::current_path(startFolder);
    const std::map<std::string, std::string> entries = PythonEntries(dir, dir.File("pw.zip"));
    EXPECT_TRUE(entries.contains(dir.File("pw.pxa")));
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
