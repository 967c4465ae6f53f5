// The album file and the album program: the album written whole in one
// build beside the old one and renamed over it, the password settled before
// anything is written, and the program made from the album file on disk.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "AlbumEntryData.h"
#include "AlbumFile.h"
#include "Exceptions.h"
#include "Format.h"
#include "HeldPicture.h"
#include "IntermediateArchive.h"
#include "MainForm.h"
#include "NotFoundException.h"
#include "SavingFolder.h"
#include "SettingsForm.h"
#include "Shell.h"
#include "dialogs/Dialogs.h"
#include "screen/Screen.h"

namespace pictomake {

namespace {

const std::string NotMadeText = " file not found in the Pictoria folder.  The EXE file could not be made.";

std::string WithExtension(const std::string& fileName, const std::string& extension)
{
    return std::filesystem::path(fileName).replace_extension(extension).string();
}

// A project named from the working folder still gives the album program its
// album under the full path.
std::string FullPath(const std::string& fileName)
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(fileName, error);
    return error ? fileName : full.string();
}

bool FileExists(const std::string& fileName)
{
    std::error_code error;
    return std::filesystem::is_regular_file(fileName, error);
}

// The hourglass for as long as it lives.
class TBusyCursor {
public:
    TBusyCursor() { Screen->SetCursor(crHourGlass); }
    ~TBusyCursor() { Screen->SetCursor(crDefault); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// What a picture unit gives the album: its settings lines and its entry.
struct TAlbumPicture {
    pictoalbum::TAlbumSettingsPicture Lines;
    TAlbumEntryData Data;
    std::string Password;
};

// Picture n as the album takes it. A locked picture keeps its caption as
// stored, scrambled with the password it was locked with.
TAlbumPicture AlbumPictureOf(const TForm1& form, int32_t n, const std::string& password)
{
    TGraphic* graphic = form.GetTImageofX(n)->Picture().Graphic();
    TAlbumPicture picture{{form.PictureSources.at(n - 1), ""}, AlbumEntryDataOf(graphic), ""};
    const THeldPicture* held = AsHeldPicture(graphic);
    if (held && held->Reason() == THeldPicture::TReason::Locked) {
        picture.Lines.Caption = held->StoredCaption();
        return picture;
    }
    const std::string number = IntToStr(n);
    const std::string caption = dynamic_cast<TEdit&>(*form.FindComponent("Edit" + number)).Text();
    const bool isProtected =
        !password.empty() && dynamic_cast<TCheckBox&>(*form.FindComponent("CheckBox" + number)).Checked();
    picture.Lines.Caption = isProtected ? pictoalbum::Encrypt(caption, pictoalbum::GetWordPass(password)) : caption;
    picture.Password = isProtected ? password : "";
    return picture;
}

// The intermediate archive is Create EXE's own to delete and write again; a
// file of the user's under its name only when the user says so.
bool MayReplaceArchive(const std::string& archive, const std::string& viewer, const std::string& albumFile)
{
    std::error_code error;
    if (!std::filesystem::exists(archive, error) || IsIntermediateArchiveOf(archive, viewer, albumFile))
        return true;
    return Dialogs().MessageBox(
               Format("%s already exists and is not this album's archive.  Do you want to replace it?", {archive}),
               "Replace File?", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

} // namespace

std::string TForm1::CompilerFolder() const
{
    return std::filesystem::path(programPath_).parent_path().string() + "/";
}

void TForm1::CompileProject(bool Flag)
{
    if (Flag)
        MakeAlbumProgram();
    else
        ReplaceAlbumFile([] {});
}

// The new album file goes beside the old one and replaces it only once it is
// complete and beforeReplacing (the project file's write) has succeeded.
void TForm1::ReplaceAlbumFile(const std::function<void()>& beforeReplacing)
{
    const std::string albumFile = WithExtension(ProjectFileName, ".pxa");
    const TSavingFolder saving(albumFile);
    const std::string temporaryFile = saving.File();
    WriteAlbumFile(temporaryFile);
    beforeReplacing();
    if (::rename(temporaryFile.c_str(), albumFile.c_str()) != 0)
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {albumFile, std::strerror(errno)}));
    ZipWriter1.SetZipName(albumFile);
}

void TForm1::SettleAlbumPassword()
{
    if (!Form3->Edit2->Text().empty())
        return;
    for (int32_t n = 1; n <= PictureCount; ++n) {
        const bool held = AsHeldPicture(GetTImageofX(n)->Picture().Graphic()) != nullptr;
        if (!held && dynamic_cast<TCheckBox&>(*FindComponent("CheckBox" + IntToStr(n))).Checked()) {
            std::string typed;
            if (PasswordQuery("No Password", "Please enter a Password or leave blank to Disable Password.", typed))
                Form3->Edit2->SetText(typed);
            return;
        }
    }
}

void TForm1::WriteAlbumFile(const std::string& temporaryFile)
{
    const TBusyCursor busy;
    const std::string password = Form3->Edit2->Text();
    pictoalbum::TAlbumSettingsText settings{{}, Form3->CheckBox1->Checked(), Title->Text(),
                                            Form3->CheckBox2->Checked()};
    std::vector<TAlbumPicture> pictures;
    for (int32_t n = 1; n <= PictureCount; ++n) {
        pictures.push_back(AlbumPictureOf(*this, n, password));
        settings.Pictures.push_back(pictures.back().Lines);
    }
    const std::string text = pictoalbum::AlbumSettingsFileText(settings);
    TMemoryStream settingsStream(std::vector<std::uint8_t>(text.begin(), text.end()));
    std::vector<TStreamEntry> entries{{&settingsStream, pictoalbum::AlbumSettingsEntryName, ""}};
    std::vector<std::unique_ptr<TReadOnlyMemoryStream>> streams;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const std::string name = pictoalbum::AlbumPictureEntryName(static_cast<int32_t>(i + 1));
        const TAlbumPicture& picture = pictures[i];
        if (picture.Data.Stored) {
            entries.push_back({nullptr, name, "", picture.Data.Stored});
            continue;
        }
        streams.push_back(std::make_unique<TReadOnlyMemoryStream>(picture.Data.Jpeg));
        entries.push_back({streams.back().get(), name, picture.Password});
    }
    ZipWriter1.SetZipName(temporaryFile);
    ZipWriter1.Password = "";
    ZipWriter1.AddStreamEntries(entries);
}

void TForm1::MakeAlbumProgram()
{
    const std::string folder = CompilerFolder();
    const std::string viewer = folder + "pictoview.exe";
    const std::string stub = folder + "sfx.exe";
    const std::string albumFile = FullPath(WithExtension(ProjectFileName, ".pxa"));
    const std::string program = WithExtension(ProjectFileName, ".EXE");
    const std::string archive = WithExtension(ProjectFileName, ".zip");
    if (!MayReplaceArchive(archive, viewer, albumFile))
        return;
    {
        const TBusyCursor busy;
        std::filesystem::remove(archive);
        ZipWriter1.SetZipName(archive);
        ZipWriter1.Password = "";
        ZipWriter1.FilesList().clear();
        // The viewer and the album are these files, whatever their names hold.
        ZipWriter1.ExpandWildcards = false;
        if (!FileExists(viewer))
            throw ENotFoundException("PICTOVIEW.EXE" + NotMadeText);
        ZipWriter1.FilesList().push_back(viewer);
        if (!FileExists(albumFile))
            throw ENotFoundException(albumFile + NotMadeText);
        ZipWriter1.FilesList().push_back(albumFile);
        ZipWriter1.ZipListedFiles();
        if (!FileExists(stub))
            throw ENotFoundException("SFX.EXE" + NotMadeText);
        ZipWriter1.MakeSelfExtractor(stub);
    }
    ShowMessage("EXE has been Compiled");
    if (Dialogs().MessageBox("Do you want to view the finished Pictoria?", "View Pictoria?",
                             MB_YESNO | MB_ICONQUESTION) == IDYES &&
        !Shell().StartProgram(program, {}))
        ShowMessage(Format("The album program %s could not be started.", {program}));
}

void TForm1::Compile1Click(TObject*)
{
    if (!PromptCompile())
        return;
    if (Modified) {
        if (!AskToSave())
            return;
        // Answered No: the program can only be made from the album on disk.
        if (Modified && FileExists(WithExtension(ProjectFileName, ".pxa")))
            ShowMessage("The album program is made from the album as it was last saved: "
                        "the changes since then are not in it.");
    }
    CompileProject(true);
}

// A name is one plain file name: no folder, no "." parts.
bool TForm1::PromptCompile()
{
    if (ProjectFileName == UntitledProject) {
        std::string name = UntitledProject;
        for (;;) {
            if (!InputQuery("No File Name", "Please enter a File Name to be used for this Album.", name))
                return false;
            const std::string album = name.substr(0, name.find('.'));
            if (album.empty() || album.find('/') != std::string::npos) {
                ShowMessage(Format("\"%s\" cannot be the name of an album: "
                                   "please enter a name without \"/\" that does not start with \".\".",
                                   {name}));
                continue;
            }
            const std::string project = AlbumsFolder + album + ".pxp";
            if (FileExists(project) &&
                Dialogs().MessageBox(Format("An album named %s already exists.  Do you want to replace it?", {album}),
                                     "Replace Album?", MB_YESNO | MB_ICONQUESTION) != IDYES)
                continue;
            std::filesystem::create_directories(AlbumsFolder);
            Form3->Edit1->SetText(album);
            ProjectFileName = project;
            ShowCaption();
            Modified = true;
            break;
        }
    }
    if (Form3->Edit3->Text().empty()) {
        const std::string title = InputBox(
            "No Album Title",
            "What would you like the title of the album to be?  This will appear at the top of the album (max. 40 "
            "letters)?",
            "");
        Form3->Edit3->SetText(title);
        Title->SetText(title);
        Modified = true;
    }
    return true;
}

} // namespace pictomake
