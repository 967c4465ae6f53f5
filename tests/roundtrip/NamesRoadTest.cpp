// Linux file names on the album's whole road. Pictures whose names hold
// blanks, quotes, the characters of wildcard patterns, a backslash, line
// breaks and bytes that are not UTF-8 are added from their files, saved
// under an album name that holds such characters too, opened by a fresh
// compiler, made into the album program, run, and shown by the viewer. At
// every step each picture keeps its source and its caption, the album file
// holds the picture's own bytes, and the settings files hold their own
// sections and nothing else.
#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "AlbumProgram.h"
#include "AlbumWindowFixture.h"
#include "CarriedValue.h"
#include "PeerCheck.h"
#include "ProjectFile.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "ViewerWindow.h"
#include "ZipReader.h"
#include "files/IniFiles.h"

namespace pictomake {

namespace {

const std::string PictureFilter = "All Picture Types (*.bmp;*.ico;*.emf;*.wmf;*.jpg)|*.bmp;*.ico;*.emf;*.wmf;*.jpg|"
                                  "Bitmaps (*.bmp)|*.bmp|Icon Files (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|"
                                  "Metafiles (*.wmf)|*.wmf|JPEG (*.jpg)|*.jpg";
const std::string Password = "secret";

struct TRoadPicture {
    std::string fileName;
    // As the caption edit shows it: the name up to its first ".", bytes
    // that are not UTF-8 read as Windows-1252.
    std::string caption;
    bool isProtected;
};

const TRoadPicture Pictures[] = {
    {"Beach \"at\" noon's * ? < > | \\ end.jpg", "Beach \"at\" noon's * ? < > | \\ end", false},
    {"two\nlines\n[Settings]\nAllowSave=0.jpg", "two\nlines\n[Settings]\nAllowSave=0", false},
    {"caf\xE9 cr\xE8me \xFF.jpg", "café crème ÿ", false},
    {"\"quoted\" .jpg", "\"quoted\" ", false},
    {" all \"'*?<>|\\\n\xE9 .jpg", " all \"'*?<>|\\\né ", true},
    {"tab\there\rcr\r\n;semi=x [y].jpg", "tab\there\rcr\r\n;semi=x [y]", false},
    {"\x80\x81\x8D\x8F\x90\x9D\xC3(.jpg", "€\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9DÃ(", true},
};

std::vector<std::string> ExpectedSections()
{
    std::vector<std::string> sections;
    for (std::size_t n = 1; n <= std::size(Pictures); ++n)
        sections.push_back("Image" + std::to_string(n));
    sections.push_back("Settings");
    return sections;
}

class NamesRoadTest : public AlbumWindowFixture {
protected:
    NamesRoadTest()
    {
        dir.Write("pictoria/pictoview.exe", FakeViewer);
        dir.Write("pictoria/sfx.exe", ReadFileBytes(SFX_STUB_PATH));
        for (std::size_t i = 0; i < std::size(Pictures); ++i)
            sources.push_back(dir.Write(std::string(PictureFolder) + "/" + Pictures[i].fileName,
                                        PictureOfSize(41 + static_cast<int>(i), 30, true)));
    }

    // The pictures added through the add command's open dialog, the protect
    // marks set, the album saved through Save As under albumFile.
    void MakeAlbum(const std::string& albumFile)
    {
        NewWindow();
        {
            ScriptedDialogs dialogs;
            dialogs.ExpectOpen("", PictureFilter, sources);
            form->AddFile1Click(form->AddFile1);
        }
        for (std::size_t n = 1; n <= std::size(Pictures); ++n)
            CheckBox(static_cast<int>(n)).SetChecked(Pictures[n - 1].isProtected);
        form->Title->SetText("Names");
        settings.dialog.SetSettings({Password, true, "Names", false});
        ScriptedDialogs dialogs;
        dialogs.ExpectSave("Please enter a filename to be used for this Album", "Album Files (*.pxp)|*.pxp", albumFile);
        form->SaveAs1Click(nullptr);
    }

    // Each picture's source and caption in the window, and its file's name
    // as Save Picture As suggests it.
    void ExpectWindowHoldsThePictures(const std::string& step)
    {
        SCOPED_TRACE(step);
        ASSERT_EQ(form->PictureCount, static_cast<int>(std::size(Pictures)));
        EXPECT_EQ(form->PictureSources, sources);
        TSavePictureDialog& dialog = *form->SavePictureDialog1;
        for (int n = 1; n <= form->PictureCount; ++n) {
            SCOPED_TRACE(n);
            EXPECT_EQ(Edit(n).Text(), Pictures[n - 1].caption);
            EXPECT_EQ(CheckBox(n).Checked(), Pictures[n - 1].isProtected);
            EXPECT_EQ(form->GetTImageofX(n)->Picture().Width(), 41 + n - 1);
            form->CurrentImage = form->GetTImageofX(n);
            ScriptedDialogs dialogs;
            dialogs.ExpectSave(dialog.Title, dialog.Filter, std::nullopt);
            form->SavePictureAs1Click(form->SavePictureAs1);
            EXPECT_EQ(dialog.FileName, Pictures[n - 1].fileName);
        }
    }

    // The project file's sources, captions and sections.
    void ExpectProjectHoldsThePictures(const std::string& projectFile)
    {
        SCOPED_TRACE("the project file");
        const TProjectFile project(projectFile);
        const std::vector<TProjectPicture> stored = project.Pictures();
        ASSERT_EQ(stored.size(), std::size(Pictures));
        for (std::size_t i = 0; i < stored.size(); ++i) {
            SCOPED_TRACE(i + 1);
            EXPECT_EQ(stored[i].Source, sources[i]);
            EXPECT_EQ(ReadableCaption(stored[i].Caption, stored[i].Protected, Password), Pictures[i].caption);
        }
        EXPECT_EQ(TIniFile(projectFile).ReadSections(), ExpectedSections());
    }

    // The album file as the peers read it: the settings file with its own
    // sections and each picture's source, and each picture's own bytes.
    void ExpectAlbumHoldsThePictures(const std::string& albumFile)
    {
        SCOPED_TRACE("the album file");
        ExpectPeersAccept(dir, albumFile, Password);
        std::map<std::string, std::string> entries = PythonEntries(dir, albumFile, Password);
        ASSERT_EQ(entries.size(), std::size(Pictures) + 1);
        const TIniFile settingsFile(dir.Write("album-settings/pictoview.ini", entries["/pictoview.ini"]));
        EXPECT_EQ(settingsFile.ReadSections(), ExpectedSections());
        for (std::size_t n = 1; n <= std::size(Pictures); ++n) {
            SCOPED_TRACE(n);
            EXPECT_EQ(entries["/Image" + std::to_string(n) + ".jpg"], ReadFileBytes(sources[n - 1]));
            EXPECT_EQ(pictoalbum::ReadCarriedValue(settingsFile, "Image" + std::to_string(n), "Picture", ""),
                      sources[n - 1]);
        }
    }

    // The intermediate archive holds the viewer and the album under their
    // own names, as this reader reads them.
    void ExpectArchiveCarriesTheAlbum(const std::string& archive, const std::string& albumFile)
    {
        SCOPED_TRACE("the intermediate archive");
        ExpectPeersAccept(dir, archive);
        TZipReader reader;
        reader.DoProcessMessages = false;
        reader.SetZipName(archive);
        reader.ReadZip();
        std::vector<std::string> names;
        for (int i = 0; i < reader.GetCount(); ++i)
            names.push_back(reader.GetEntry(i).FullName());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{albumFile, CompilerFolder() + "pictoview.exe"}));
    }

    // The viewer on the album the program handed over: captions, pictures,
    // its settings file's own sections, and each picture's source as Save
    // Picture As suggests it.
    void ExpectViewerShowsThePictures(const std::string& albumFile)
    {
        SCOPED_TRACE("the viewer");
        pictoview::ViewerWindow viewer;
        {
            ScriptedDialogs dialogs;
            dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", Password);
            viewer.Open(albumFile);
        }
        ASSERT_EQ(viewer.form.PictureCount, static_cast<int>(std::size(Pictures)));
        EXPECT_EQ(viewer.form.Caption(), "Names - Pictoria");
        EXPECT_TRUE(viewer.form.LoadPicture1->Enabled()) << "saving stays allowed";
        EXPECT_EQ(TIniFile(viewer.form.TempFolder + pictoview::SettingsFileName).ReadSections(), ExpectedSections());
        TSavePictureDialog& dialog = *viewer.form.SavePictureDialog1;
        for (int n = 1; n <= viewer.form.PictureCount; ++n) {
            SCOPED_TRACE(n);
            EXPECT_EQ(viewer.Caption(n), Pictures[n - 1].caption);
            EXPECT_EQ(viewer.PictureWidth(n), 41 + n - 1);
            viewer.form.CurrentImage = viewer.form.GetTImageofX(n);
            ScriptedDialogs dialogs;
            dialogs.ExpectSave(dialog.Title, dialog.Filter, std::nullopt);
            viewer.form.LoadPicture1Click(viewer.form.LoadPicture1);
            EXPECT_EQ(dialog.FileName, sources[n - 1]);
        }
    }

    static constexpr const char* PictureFolder = "Pictures of \"Ann\" * <2024> \\ \xE9";
    std::vector<std::string> sources;
};

} // namespace

TEST_F(NamesRoadTest, EveryNameArrivesAsItWasGivenAtEveryStep)
{
    // The album's own name, as Save As is given it (".pxp" is added).
    const std::string albumNames[] = {
        "Best \"2024\" <*?|> 'x' \xE9\nnext",
        "Kids \\ Ann",
        "Kids\\",
    };
    for (const std::string& albumName : albumNames) {
        SCOPED_TRACE(albumName);
        const std::string project = dir.File(albumName + ".pxp");
        const std::string albumFile = dir.File(albumName + ".pxa");
        MakeAlbum(dir.File(albumName));
        ASSERT_EQ(form->ProjectFileName, project);
        ASSERT_FALSE(form->Modified);
        ExpectWindowHoldsThePictures("added");
        ExpectProjectHoldsThePictures(project);
        ExpectAlbumHoldsThePictures(albumFile);

        NewWindow();
        {
            ScriptedDialogs dialogs;
            dialogs.ExpectOpen("Open an Album or click Cancel for New Album", "Album File (*.pxp)|*.pxp", {project});
            dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", Password);
            form->Open1Click(nullptr);
        }
        ExpectWindowHoldsThePictures("reopened");

        {
            const RecordingShell shell;
            ScriptedDialogs dialogs;
            dialogs.ExpectMessageBox("Pictoria Compiler", "EXE has been Compiled", IDOK);
            dialogs.ExpectMessageBox("View Pictoria?", "Do you want to view the finished Pictoria?", IDNO);
            form->Compile1Click(nullptr);
        }
        ExpectArchiveCarriesTheAlbum(dir.File(albumName + ".zip"), albumFile);

        const std::string results = dir.File("results");
        std::filesystem::remove_all(results);
        std::filesystem::create_directories(results);
        std::filesystem::create_directories(dir.File("tmp"));
        const TCommandResult run =
            RunCommand("env TMPDIR=" + ShellQuote(dir.File("tmp")) + " SFX_TEST_RESULTS=" + ShellQuote(results) + " " +
                       ShellQuote(dir.File(albumName + ".EXE")) + " </dev/null >/dev/null 2>&1");
        ASSERT_EQ(run.ExitCode, 0);
        const std::string delivered = dir.File("results/album");
        EXPECT_TRUE(ReadFileBytes(dir.File("results/arguments"))
                        .ends_with("/" + std::filesystem::path(albumFile).filename().string() + "\n"))
            << "the viewer is started on the album under its own name";
        ASSERT_EQ(ReadFileBytes(delivered), ReadFileBytes(albumFile));
        ExpectViewerShowsThePictures(delivered);
    }
}

} // namespace pictomake
