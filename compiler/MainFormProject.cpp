// The main window's album project: opening a project (pictures from the
// album file or from their sources, the password of protected pictures, the
// settings), writing it back, the settings dialog and the title.
#include <filesystem>
#include <optional>
#include <system_error>

#include "AlbumArchive.h"
#include "Format.h"
#include "HeldPicture.h"
#include "MainForm.h"
#include "PasswordForms.h"
#include "ScopeExit.h"
#include "SettingsForm.h"
#include "Stream.h"
#include "application/Application.h"
#include "dialogs/Dialogs.h"
#include "files/TextCodec.h"
#include "pictures/Jpeg.h"

namespace pictomake {

// What one opening of a project carries from picture to picture.
struct TAlbumOpening {
    std::string AlbumFile;
    bool AlbumRead = false;
    // The password typed during this opening, kept for the entries after.
    std::optional<std::string> TypedPassword;
    // A protected entry of this album has opened: the password is right, so
    // a later entry whose data fail behind it is damaged.
    bool PasswordOpened = false;
    // What could not be shown, told once the project is open.
    std::vector<std::string> Problems;
};

namespace {

const std::string LockedCaption = "Locked Picture";

bool IsRegularFile(const std::string& fileName)
{
    std::error_code error;
    return std::filesystem::is_regular_file(fileName, error);
}

std::string AlbumFileOf(const std::string& projectFileName)
{
    return std::filesystem::path(projectFileName).replace_extension(".pxa").string();
}

std::string Joined(const std::vector<std::string>& lines, const std::string& separator)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : separator) + line;
    return text;
}

} // namespace

void TForm1::OpenProject(const std::string& fileName)
{
    std::error_code error;
    if (!std::filesystem::exists(fileName, error))
        return;
    if (!IsRegularFile(fileName)) {
        ShowMessage(Format("%s is not an album project file.", {fileName}));
        return;
    }
    ProjectFileName = fileName;
    PictureCount = 0; // the editor is empty: counted up as pictures load
    const TProjectFile project(fileName);
    const std::vector<TProjectPicture> pictures = project.Pictures();
    const TAlbumSettings settings = project.Settings();

    TAlbumOpening opening;
    opening.AlbumFile = AlbumFileOf(fileName);
    if (std::filesystem::exists(opening.AlbumFile, error)) {
        try {
            ZipWriter1.SetZipName(opening.AlbumFile);
            if (std::optional<std::string> readInPart = pictoalbum::ReadAlbumDirectory(ZipWriter1))
                opening.Problems.push_back(*readInPart);
            opening.AlbumRead = true;
        } catch (const pictoalbum::EAlbumFile& e) {
            opening.Problems.push_back(e.what());
        } catch (const Exception& e) {
            opening.Problems.push_back(pictoalbum::AlbumFileProblem(opening.AlbumFile, e.what()));
        }
    }
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        // Ended by the system meanwhile, the compiler leaves without the rest.
        if (Application && Application->CheckTerminated())
            break;
        LoadProjectPicture(static_cast<int32_t>(i + 1), pictures[i], settings.Password, opening);
    }

    Form3->Edit1->SetText(AlbumNameOf(fileName));
    TAlbumSettings shown = settings;
    shown.Password = FileTextToUtf8(settings.Password);
    shown.Title = FileTextToUtf8(settings.Title);
    Form3->SetSettings(shown);
    Title->SetText(shown.Title);
    ShowCaption();
    if (PictureCount >= 1) {
        CurrentImage = GetTImageofX(1);
        SelectCurrent(0, 0);
    }
    Modified = false;
    if (!opening.Problems.empty())
        ShowMessage(Joined(opening.Problems, "\r\r"));
}

// Picture n keeps its place whatever becomes of its data: a picture that
// cannot be shown is held, so that the next save loses nothing.
void TForm1::LoadProjectPicture(int32_t n, const TProjectPicture& picture, const std::string& albumPassword,
                                TAlbumOpening& opening)
{
    CreatePictUnit(n);
    CurrentImage = GetTImageofX(n);
    PictureSources.push_back(picture.Source);
    PictureCount = n;

    std::unique_ptr<TGraphic> graphic;
    // Captions are scrambled with the bytes that locked the album's entries:
    // those that opened the entry; without the album file, the album's own.
    std::string captionPassword = albumPassword;
    if (opening.AlbumRead && n < ZipWriter1.GetCount()) {
        graphic = ReadAlbumEntry(n, picture.Caption, opening);
        if (ZipWriter1.GetEncrypted(n) && opening.TypedPassword)
            captionPassword = ZipWriter1.Password;
    } else if (IsRegularFile(picture.Source)) {
        try {
            CurrentImage->Picture().LoadFromFile(picture.Source);
        } catch (const Exception& e) {
            opening.Problems.push_back(
                Format("Couldn't Read Picture %d from %s: %s", {IntToStr(n), picture.Source, e.what()}));
        }
    } else {
        opening.Problems.push_back("Couldn't Find Pictures at \r" + opening.AlbumFile + "\ror\r" + picture.Source);
    }

    const THeldPicture* held = AsHeldPicture(graphic.get());
    const bool locked = held && held->Reason() == THeldPicture::TReason::Locked;
    if (graphic)
        CurrentImage->Picture().SetGraphic(graphic.get());
    ShowPictureUnitState(n, locked);
    auto& edit = dynamic_cast<TEdit&>(*FindComponent("Edit" + IntToStr(n)));
    edit.SetText(locked ? LockedCaption
                        : FileTextToUtf8(ReadableCaption(picture.Caption, picture.Protected, captionPassword)));
    LoadPicture();
}

// Entry n of the album file as a picture, or held when it stays locked or
// cannot be read.
std::unique_ptr<TGraphic> TForm1::ReadAlbumEntry(int32_t n, const std::string& storedCaption,
                                                 TAlbumOpening& opening)
{
    const auto held = [&](THeldPicture::TReason reason) {
        return std::make_unique<THeldPicture>(reason, storedCaption, StoredAlbumEntry(n));
    };
    const bool encrypted = ZipWriter1.GetEncrypted(n);
    if (encrypted && !opening.TypedPassword && !AskPassword("Please Enter the Password Here", opening))
        return held(THeldPicture::TReason::Locked);

    // The engine checks each form of the typed password against the entry's
    // check byte, leaving the one that opened it in ZipWriter1.Password, and
    // asks again through OnBadPassword once every form failed, while the
    // answer changes.
    pictoalbum::TPasswordForms forms(encrypted ? *opening.TypedPassword : "");
    ZipWriter1.Password = forms.Current();
    bool refused = false;
    ZipWriter1.OnBadPassword = [&](TZipReader& sender, int, std::string& newPassword) {
        if (opening.PasswordOpened && sender.CheckBytePassed())
            return;
        refused = !forms.Advance([&] {
            return AskPassword("Wrong Password. Please Enter the Password Here", opening) ? opening.TypedPassword
                                                                                         : std::nullopt;
        });
        if (!refused)
            newPassword = forms.Current();
    };
    TScopeExit unhook([this] { ZipWriter1.OnBadPassword = nullptr; });

    std::string reason = "the entry is damaged";
    try {
        TMemoryStream stream;
        if (ZipWriter1.UnZipToStreamByIndex(&stream, n) > 0 && stream.Size() > 0) {
            stream.Seek(0, soFromBeginning);
            opening.PasswordOpened = opening.PasswordOpened || encrypted;
            auto jpeg = std::make_unique<TJPEGImage>();
            jpeg->LoadFromStream(stream);
            return jpeg;
        }
    } catch (const Exception& e) {
        reason = e.what();
    }
    if (encrypted && refused)
        return held(THeldPicture::TReason::Locked);
    opening.Problems.push_back(
        Format("Couldn't Read Picture %d from %s: %s", {IntToStr(n), opening.AlbumFile, reason}));
    return held(THeldPicture::TReason::Unreadable);
}

// Entry n as the album file stores it, kept so that saving loses nothing;
// nullptr when not even its bytes can be read.
std::shared_ptr<const TStoredEntry> TForm1::StoredAlbumEntry(int32_t n)
{
    try {
        return std::make_shared<const TStoredEntry>(ZipWriter1.ReadStoredEntry(n));
    } catch (const Exception&) {
        return nullptr;
    }
}

// True with the typed password kept for the entries after; a cancelled
// prompt forgets it, so the next protected picture asks afresh.
bool TForm1::AskPassword(const std::string& prompt, TAlbumOpening& opening)
{
    std::string typed;
    if (!PasswordQuery("Password", prompt, typed)) {
        opening.TypedPassword.reset();
        return false;
    }
    opening.TypedPassword = typed;
    return true;
}

// A locked picture's caption and protect mark belong to its sealed entry:
// neither can be changed until the picture is unlocked.
void TForm1::ShowPictureUnitState(int32_t n, bool locked)
{
    const std::string number = IntToStr(n);
    dynamic_cast<TEdit&>(*FindComponent("Edit" + number)).SetReadOnly(locked);
    dynamic_cast<TCheckBox&>(*FindComponent("CheckBox" + number)).SetEnabled(!locked);
}

void TForm1::WriteIni(bool fresh)
{
    const TAlbumSettings settings = Form3->Settings();
    std::vector<TProjectPicture> pictures;
    for (int32_t n = 1; n <= PictureCount; ++n) {
        const std::string number = IntToStr(n);
        const std::string& source = PictureSources.at(n - 1);
        const THeldPicture* held = AsHeldPicture(GetTImageofX(n)->Picture().Graphic());
        if (held && held->Reason() == THeldPicture::TReason::Locked) {
            pictures.push_back({source, held->StoredCaption(), true});
            continue;
        }
        const std::string caption = dynamic_cast<TEdit&>(*FindComponent("Edit" + number)).Text();
        const bool isProtected = dynamic_cast<TCheckBox&>(*FindComponent("CheckBox" + number)).Checked();
        pictures.push_back({source, StoredCaption(caption, isProtected, settings.Password), isProtected});
    }
    const TProjectFile project(ProjectFileName);
    if (fresh)
        project.SaveFresh(pictures, settings);
    else
        project.Save(pictures, settings);
}

void TForm1::Settings1Click(TObject*)
{
    TForm3& dialog = *Form3;
    dialog.Edit1->SetText(ProjectFileName == UntitledProject ? UntitledProject : AlbumNameOf(ProjectFileName));
    const TAlbumSettings confirmed = dialog.Settings();
    dialog.OnConfirm = [this] { Modified = true; };
    if (dialog.ShowModal() != mrOk)
        dialog.SetSettings(confirmed);
}

void TForm1::TitleChange(TObject*)
{
    ShowCaption();
    Form3->Edit3->SetText(Title->Text());
    if (!Title->Text().empty())
        Modified = true;
}

void TForm1::ShowCaption()
{
    SetCaption(AlbumCaption(Title->Text(), ProjectFileName));
}

} // namespace pictomake
