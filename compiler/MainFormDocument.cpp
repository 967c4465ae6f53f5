// The album as a document: New, Open, Save, Save As, Exit, the save question
// and the help. Whatever is cancelled or fails, the album in the window stays
// as it was and so do the files on disk.
#include <filesystem>
#include <system_error>

#include <QStandardPaths>

#include "Format.h"
#include "MainForm.h"
#include "ScopeExit.h"
#include "Shell.h"
#include "dialogs/Dialogs.h"
#include "screen/Screen.h"

namespace pictomake {

namespace {

std::string DefaultAlbumsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString() + "/Albums/";
}

std::string UpperCase(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool IsRegularFile(const std::string& fileName)
{
    std::error_code error;
    return std::filesystem::is_regular_file(fileName, error);
}

} // namespace

void TForm1::BindDocumentCommands()
{
    AlbumsFolder = DefaultAlbumsFolder();
    New1->OnClick = [this](TObject* Sender) { New1Click(Sender); };
    Open1->OnClick = [this](TObject* Sender) { Open1Click(Sender); };
    BitBtn3->OnClick = [this](TObject* Sender) { Open1Click(Sender); };
    Save1->OnClick = [this](TObject* Sender) { Save1Click(Sender); };
    BitBtn4->OnClick = [this](TObject* Sender) { Save1Click(Sender); };
    SaveAs1->OnClick = [this](TObject* Sender) { SaveAs1Click(Sender); };
    BitBtn6->OnClick = [this](TObject* Sender) { SaveAs1Click(Sender); };
    Quit1->OnClick = [this](TObject* Sender) { Close1Click(Sender); };
    Compile1->OnClick = [this](TObject* Sender) { Compile1Click(Sender); };
    BitBtn5->OnClick = [this](TObject* Sender) { Compile1Click(Sender); };
    Contents1->OnClick = [this](TObject* Sender) { Contents1Click(Sender); };
    BitBtn7->OnClick = [this](TObject* Sender) { Contents1Click(Sender); };
    OnCloseQuery = [this](TObject* Sender, bool& CanClose) { CloseQuery(Sender, CanClose); };
}

bool TForm1::GetNewFN()
{
    // A new album is offered the albums folder.
    if (ProjectFileName == UntitledProject) {
        std::error_code ignored;
        std::filesystem::create_directories(AlbumsFolder, ignored);
        SaveDialog1->InitialDir = AlbumsFolder;
    }
    if (!SaveDialog1->Execute())
        return false;
    std::filesystem::path chosen(SaveDialog1->FileName);
    if (UpperCase(chosen.extension().string()) != ".PXP")
        chosen.replace_extension(".pxp");
    // Asked here rather than by the dialog: the name saved under is the one
    // with ".pxp", not always the one chosen.
    if (chosen.string() != ProjectFileName && !MayReplaceFile(chosen.string(), "Replace Album?"))
        return false;
    ProjectFileName = chosen.string();
    ShowCaption();
    return true;
}

bool TForm1::SaveDocument(bool freshProjectFile)
{
    try {
        SettleAlbumPassword();
        ReplaceAlbumFile([&] { WriteIni(freshProjectFile); });
    } catch (const std::exception& e) {
        ShowMessage(Format("The album could not be saved: %s", {e.what()}));
        return false;
    }
    Modified = false;
    return true;
}

// A save under a name chosen now, into a project file written fresh when the
// name is another; the old name comes back when the save does not happen.
bool TForm1::SaveUnderNewName(bool promptTitle)
{
    const std::string previous = ProjectFileName;
    if (GetNewFN()) {
        const bool fresh = ProjectFileName != previous;
        if ((!promptTitle || PromptCompile()) && SaveDocument(fresh))
            return true;
    }
    ProjectFileName = previous;
    ShowCaption();
    return false;
}

void TForm1::Save1Click(TObject*)
{
    if (ProjectFileName == UntitledProject)
        SaveUnderNewName(true);
    else if (PromptCompile())
        SaveDocument(false);
}

void TForm1::SaveAs1Click(TObject*)
{
    SaveUnderNewName(true);
}

bool TForm1::AskToSave()
{
    const int answer = Dialogs().MessageBox("The Album has changed.  Do you want to save the changes?",
                                            "Save Changes?", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO)
        return true;
    if (answer != IDYES)
        return false;
    if (ProjectFileName == UntitledProject)
        return SaveUnderNewName(false);
    return SaveDocument(false);
}

void TForm1::RemoveAllPictures()
{
    CurrentImage = nullptr;
    for (int32_t n = PictureCount; n >= 1; --n)
        for (const char* prefix : {"CheckBox", "Edit", "Image", "Panel"})
            FindComponent(prefix + IntToStr(n))->Free();
    PictureSources.clear();
    PictureCount = 0;
}

void TForm1::New1Click(TObject*)
{
    if (Modified && !AskToSave())
        return;
    ProjectFileName = UntitledProject;
    ShowCaption();
    RemoveAllPictures();
    Modified = false;
}

void TForm1::Open1Click(TObject*)
{
    if (!OpenDialog1->Execute())
        return;
    const std::string fileName = OpenDialog1->FileName;
    if (!IsRegularFile(fileName)) {
        ShowMessage(Format("%s is not an album project file.", {fileName}));
        return;
    }
    if (Modified && !AskToSave())
        return;
    Screen->SetCursor(crHourGlass);
    const TScopeExit restore([] { Screen->SetCursor(crDefault); });
    RemoveAllPictures();
    OpenProject(fileName);
    Modified = false;
}

void TForm1::Close1Click(TObject*)
{
    Close();
}

void TForm1::CloseQuery(TObject*, bool& CanClose)
{
    if (Modified)
        CanClose = AskToSave();
}

void TForm1::Contents1Click(TObject*)
{
    const std::string help = CompilerFolder() + "Pictomake.html";
    if (!IsRegularFile(help))
        ShowMessage(Format("The help file %s is missing.", {help}));
    else if (!Shell().OpenDocument(help))
        ShowMessage(Format("The help file %s could not be opened.", {help}));
}

} // namespace pictomake
