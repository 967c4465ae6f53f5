// The document commands: what the save question, the file dialogs and the
// name prompt lead to (files written, the window closed or not, the album
// kept), Open that checks before it tears down, Save As that asks before it
// replaces, and the help.
#include <algorithm>
#include <filesystem>
#include <optional>

#include "AlbumWindowFixture.h"
#include "DialogHands.h"
#include "ProjectFile.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"

namespace pictomake {

namespace {

const std::string SaveTitle = "Please enter a filename to be used for this Album";
const std::string SaveFilter = "Album Files (*.pxp)|*.pxp";
const std::string SaveQuestion = "The Album has changed.  Do you want to save the changes?";
const std::string NamePrompt = "Please enter a File Name to be used for this Album.";

class DocumentCommandsTest : public AlbumWindowFixture {
protected:
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.File(name)); }
};

} // namespace

TEST_F(DocumentCommandsTest, ExitAsksAsTheAlbumNeeds)
{
    const struct {
        const char* name;
        bool modified;
        bool untitled;
        std::optional<int> answer;           // the save question, when asked
        std::optional<std::string> chosen;   // the save dialog, when shown (nullopt: Cancel)
        bool closes;
        std::vector<std::string> written;
    } cases[] = {
        {"unchanged", false, false, std::nullopt, std::nullopt, true, {}},
        {"changed, No", true, false, IDNO, std::nullopt, true, {}},
        {"changed, Cancel", true, false, IDCANCEL, std::nullopt, false, {}},
        {"changed, Yes", true, false, IDYES, std::nullopt, true, {"trip.pxa", "trip.pxp"}},
        {"new, Yes, dialog cancelled", true, true, IDYES, std::nullopt, false, {}},
        {"new, Yes, named", true, true, IDYES, "new.txt", true, {"new.pxa", "new.pxp"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"trip.pxa", "trip.pxp", "new.pxa", "new.pxp"})
            std::filesystem::remove(dir.File(name));
        NamedAlbum(dir.File("trip.pxp"));
        form->Modified = c.modified;
        if (c.untitled)
            form->ProjectFileName = UntitledProject;
        ScriptedDialogs dialogs;
        if (c.answer)
            dialogs.ExpectMessageBox("Save Changes?", SaveQuestion, *c.answer);
        if (c.untitled && c.answer == IDYES)
            dialogs.ExpectSave(SaveTitle, SaveFilter, c.chosen ? std::optional(dir.File(*c.chosen)) : std::nullopt);
        EXPECT_EQ(form->CloseQuery(), c.closes);
        dialogs.Verify();
        if (c.untitled && c.answer == IDYES) {
            EXPECT_EQ(form->SaveDialog1->InitialDir, dir.Folder() + "Albums/") << "a new album starts there";
        }
        std::vector<std::string> written;
        for (const char* name : {"new.pxa", "new.pxp", "trip.pxa", "trip.pxp"})
            if (Exists(name))
                written.push_back(name);
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(form->PictureCount, 1) << "the album stays in the window";
        EXPECT_EQ(form->Modified, c.modified && !(c.answer == IDYES && c.closes));
        EXPECT_EQ(form->ProjectFileName, c.untitled && !c.closes ? UntitledProject
                                         : c.untitled          ? dir.File("new.pxp")
                                                               : dir.File("trip.pxp"));
    }
}

TEST_F(DocumentCommandsTest, NewKeepsTheAlbumOnCancelAndTheTitleAlways)
{
    NamedAlbum(dir.File("trip.pxp"));
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectMessageBox("Save Changes?", SaveQuestion, IDCANCEL);
        form->New1Click(nullptr);
    }
    EXPECT_EQ(form->PictureCount, 1);
    EXPECT_EQ(form->ProjectFileName, dir.File("trip.pxp"));
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectMessageBox("Save Changes?", SaveQuestion, IDNO);
        form->New1Click(nullptr);
    }
    EXPECT_EQ(form->PictureCount, 0);
    EXPECT_TRUE(form->PictureSources.empty());
    EXPECT_EQ(form->FindComponent("Panel1"), nullptr);
    EXPECT_EQ(form->ProjectFileName, UntitledProject);
    EXPECT_EQ(form->Caption(), "Trip (Untitled) - Pictoria");
    EXPECT_FALSE(form->Modified);
    EXPECT_FALSE(Exists("trip.pxp"));
}

TEST_F(DocumentCommandsTest, OpenChecksTheFileBeforeTheAlbumGoes)
{
    NamedAlbum(dir.File("trip.pxp"));
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("Open an Album or click Cancel for New Album", "Album File (*.pxp)|*.pxp",
                       {dir.File("gone.pxp")});
    dialogs.ExpectMessageBox("Pictoria Compiler", dir.File("gone.pxp") + " is not an album project file.", IDOK);
    form->Open1Click(nullptr);
    dialogs.Verify();
    EXPECT_EQ(form->PictureCount, 1);
    EXPECT_TRUE(form->Modified);

    form->Save1Click(nullptr);
    NamedAlbum(dir.File("other.pxp"));
    Edit(1).SetText("Changed");
    dialogs.ExpectOpen("Open an Album or click Cancel for New Album", "Album File (*.pxp)|*.pxp",
                       {dir.File("trip.pxp")});
    dialogs.ExpectMessageBox("Save Changes?", SaveQuestion, IDNO);
    form->Open1Click(nullptr);
    dialogs.Verify();
    EXPECT_EQ(form->PictureCount, 1);
    EXPECT_EQ(Edit(1).Text(), "Beach");
    EXPECT_EQ(form->ProjectFileName, dir.File("trip.pxp"));
    EXPECT_FALSE(form->Modified);
}

TEST_F(DocumentCommandsTest, SaveAsAsksBeforeReplacingAndWritesTheProjectFresh)
{
    dir.Write("taken.pxp", "[Extra]\r\nKept=1\r\n");
    NamedAlbum(dir.File("trip.pxp"));
    ScriptedDialogs dialogs;
    dialogs.ExpectSave(SaveTitle, SaveFilter, dir.File("taken.pxp"));
    dialogs.ExpectMessageBox("Replace Album?", dir.File("taken.pxp") + " already exists.  Do you want to replace it?",
                             IDNO);
    form->SaveAs1Click(nullptr);
    dialogs.Verify();
    EXPECT_EQ(ReadFileBytes(dir.File("taken.pxp")), "[Extra]\r\nKept=1\r\n");
    EXPECT_EQ(form->ProjectFileName, dir.File("trip.pxp"));
    EXPECT_TRUE(form->Modified);

    dialogs.ExpectSave(SaveTitle, SaveFilter, dir.File("TAKEN.PXP"));
    dialogs.ExpectSave(SaveTitle, SaveFilter, dir.File("taken.pxp"));
    dialogs.ExpectMessageBox("Replace Album?", dir.File("taken.pxp") + " already exists.  Do you want to replace it?",
                             IDYES);
    form->SaveAs1Click(nullptr);
    EXPECT_TRUE(Exists("TAKEN.PXP")) << "the extension's case as typed";
    form->SaveAs1Click(nullptr);
    dialogs.Verify();
    EXPECT_EQ(ReadFileBytes(dir.File("taken.pxp")).find("[Extra]"), std::string::npos);
    EXPECT_EQ(TProjectFile(dir.File("taken.pxp")).Pictures().size(), 1u);
    EXPECT_TRUE(Exists("taken.pxa"));
    EXPECT_EQ(form->Caption(), "Trip (taken.pxp) - Pictoria");
    EXPECT_FALSE(form->Modified);
}

// At the real dialog, typed with keys: a name with double quotes is the
// name typed, in the folder typed, and nowhere else.
TEST_F(DocumentCommandsTest, SaveAsTakesANameWithQuotesAsTyped)
{
    const std::string folder = dir.Folder() + "names";
    std::filesystem::create_directories(folder);
    NamedAlbum(UntitledProject);
    {
        DialogHands hands;
        hands.TypeInFileDialog(folder + "/it's \"quoted\"");
        form->SaveAs1Click(nullptr);
    }
    const std::string project = folder + "/it's \"quoted\".pxp";
    EXPECT_EQ(form->ProjectFileName, project);
    EXPECT_FALSE(form->Modified);
    std::vector<std::string> written;
    for (const auto& item : std::filesystem::directory_iterator(folder))
        written.push_back(item.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"it's \"quoted\".pxa", "it's \"quoted\".pxp"}));
    EXPECT_TRUE(std::filesystem::is_empty(form->AlbumsFolder)) << "the dialog's folder";
    EXPECT_EQ(TProjectFile(project).Pictures().size(), 1u);
}

TEST_F(DocumentCommandsTest, TheNamePromptRefusesOrConfirmsWhatItCannotTakeAsItIs)
{
    dir.Write("Albums/trip.pxp", "");
    const struct {
        const char* name;
        std::vector<std::string> typed; // then Cancel, unless accepted
        std::optional<int> replaceAnswer;
        std::string project;            // empty: nothing named
    } cases[] = {
        {"a name with a dot", {"holiday.2008"}, std::nullopt, "Albums/holiday.pxp"},
        {"empty", {""}, std::nullopt, ""},
        {"dots", {".."}, std::nullopt, ""},
        {"a folder", {"a/b"}, std::nullopt, ""},
        {"an album's name, not replaced", {"trip"}, IDNO, ""},
        {"an album's name, replaced", {"trip"}, IDYES, "Albums/trip.pxp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewWindow();
        form->Title->SetText("Trip");
        form->Modified = false;
        ScriptedDialogs dialogs;
        for (const std::string& typed : c.typed) {
            dialogs.ExpectInputQuery("No File Name", NamePrompt, typed);
            if (c.replaceAnswer)
                dialogs.ExpectMessageBox("Replace Album?",
                                         "An album named " + typed + " already exists.  Do you want to replace it?",
                                         *c.replaceAnswer);
            else if (c.project.empty())
                dialogs.ExpectMessageBox("Pictoria Compiler",
                                         "\"" + typed + "\" cannot be the name of an album: please enter a name "
                                                        "without \"/\" that does not start with \".\".",
                                         IDOK);
        }
        if (c.project.empty())
            dialogs.ExpectInputQuery("No File Name", NamePrompt, std::nullopt);
        EXPECT_EQ(form->PromptCompile(), !c.project.empty());
        dialogs.Verify();
        EXPECT_EQ(form->ProjectFileName, c.project.empty() ? UntitledProject : dir.File(c.project));
        EXPECT_EQ(form->Modified, !c.project.empty());
    }
}

TEST_F(DocumentCommandsTest, HelpOpensTheGuideBesideTheCompilerOrSaysItIsMissing)
{
    NewWindow();
    RecordingShell shell;
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectMessageBox("Pictoria Compiler",
                                 "The help file " + CompilerFolder() + "Pictomake.html is missing.", IDOK);
        form->Contents1Click(nullptr);
    }
    EXPECT_TRUE(shell.Opened.empty());
    dir.Write("pictoria/Pictomake.html", "<html></html>");
    form->Contents1Click(nullptr);
    EXPECT_EQ(shell.Opened, (std::vector<std::string>{CompilerFolder() + "Pictomake.html"}));
}

} // namespace pictomake
