// The main window's album: opening one (its settings file, the film strip,
// the pictures and the password of protected ones) and closing it.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "AlbumArchive.h"
#include "AlbumPicture.h"
#include "CarriedValue.h"
#include "ExitForm.h"
#include "FilmStrip.h"
#include "Format.h"
#include "MainForm.h"
#include "PasswordForms.h"
#include "ScopeExit.h"
#include "SlideShowForm.h"
#include "SplashForm.h"
#include "application/Application.h"
#include "dialogs/Dialogs.h"
#include "files/TextCodec.h"
#include "pictures/Jpeg.h"

namespace pictoview {

namespace {

const std::string PasswordPrompt = "Please Enter the Password Here";
// A box taller than the screen could not be read: the rest are counted.
constexpr std::size_t DamagedPicturesNamed = 10;
const std::string WrongPasswordPrompt = "Wrong Password. Please Enter the Password Here";

// The typed password, kept for the entries after; a cancelled or empty
// answer keeps none, so the next protected picture asks again.
bool AskPassword(const std::string& prompt, std::optional<std::string>& typedPassword)
{
    std::string typed;
    if (!PasswordQuery("Password", prompt, typed) || typed.empty()) {
        typedPassword.reset();
        return false;
    }
    typedPassword = typed;
    return true;
}

// What an album without its settings lacks, and why.
std::string UnreadSettingsMessage(const std::string& albumFileName, const std::string& why)
{
    return Format("Couldn't Read the Album Settings from %s: %s. Without them the album has no title and no "
                  "captions, and its pictures cannot be copied, saved or printed.",
                  {albumFileName, why});
}

// One line per picture with what is wrong with it.
std::string DamagedPicturesMessage(const std::string& albumFileName, const std::vector<TDamagedPicture>& damaged)
{
    if (damaged.size() == 1)
        return Format("Couldn't Read Picture %d from %s: %s",
                      {IntToStr(damaged.front().Number), albumFileName, damaged.front().Why});
    std::string text = Format("Couldn't Read %d Pictures from %s:", {IntToStr(int32_t(damaged.size())), albumFileName});
    for (std::size_t n = 0; n < damaged.size() && n < DamagedPicturesNamed; ++n)
        text += Format("\nPicture %d: %s", {IntToStr(damaged[n].Number), damaged[n].Why});
    if (damaged.size() > DamagedPicturesNamed)
        text += Format("\nand %d more", {IntToStr(int32_t(damaged.size() - DamagedPicturesNamed))});
    return text;
}

// The album file read in part, the settings, then the pictures: one
// message of all that could not be read.
std::string UnreadMessage(const std::string& albumFileName, const TUnreadParts& unread)
{
    std::string text = unread.Album ? *unread.Album + "." : "";
    if (unread.Settings)
        text += (text.empty() ? "" : "\n\n") + UnreadSettingsMessage(albumFileName, *unread.Settings);
    if (!unread.Pictures.empty())
        text += (text.empty() ? "" : "\n\n") + DamagedPicturesMessage(albumFileName, unread.Pictures);
    return text;
}

} // namespace

// The pictures that could not be read are named once the album is up, the
// splash gone.
void TForm1::OpenAlbum()
{
    if (opening_)
        return;
    TUnreadParts unread;
    {
        opening_ = true;
        // Input is held off until the opening ends, however it ends.
        TopPanel->SetEnabled(false);
        ScrollBox1->SetEnabled(false);
        if (pictoalbum::Form5) {
            pictoalbum::Form5->Show();
            pictoalbum::Form5->Repaint();
        }
        const TScopeExit ended([this] { EndOpening(); });
        try {
            unread = OpenAlbumSteps();
        } catch (...) {
            CloseAlbum();
            throw;
        }
    }
    if ((unread.Album || unread.Settings || !unread.Pictures.empty()) && Application)
        Application->MessageBox(UnreadMessage(AlbumFileName, unread), Application->Title(), MB_OK | MB_ICONWARNING);
}

void TForm1::EndOpening()
{
    if (pictoalbum::Form5)
        pictoalbum::Form5->Close();
    TopPanel->SetEnabled(true);
    ScrollBox1->SetEnabled(true);
    opening_ = false;
    if (closeRequested_) {
        closeRequested_ = false;
        Close();
    }
}

TUnreadParts TForm1::OpenAlbumSteps()
{
    ZipReader1.SetZipName(AlbumFileName);
    // Every later read sees the file as it was opened, whatever is renamed
    // over its name meanwhile.
    ZipReader1.KeepZipOpen = true;
    ZipReader1.OverwriteMode = Always;
    TUnreadParts unread;
    unread.Album = pictoalbum::ReadAlbumDirectory(ZipReader1);
    // Not even a settings entry: an empty file, or an archive of nothing.
    if (ZipReader1.GetCount() == 0)
        throw pictoalbum::EAlbumFile(pictoalbum::AlbumFileProblem(AlbumFileName, "it holds no album"));
    ZipReader1.SetSelected(0, true);
    ZipReader1.Password = "";
    if (!settingsFolder_)
        settingsFolder_ = std::make_unique<TPrivateFolder>();
    TempFolder = CheckPath(settingsFolder_->Path().string());
    RemoveSettingsFiles();
    unread.Settings = ReadSettingsEntry();

    const TIniFile settings(TempFolder + SettingsFileName);
    AlbumTitle = FileTextToUtf8(pictoalbum::ReadCarriedValue(settings, "Settings", "Title", "Untitled"));
    AutoSlideShow = settings.ReadBool("Settings", "ShowSlide", false);
    SetCaption(AlbumTitle + " - Pictoria");
    if (Form3)
        Form3->AskAbout(AlbumTitle);

    const int32_t pictures = ZipReader1.GetCount() - 1;
    BuildStrip(pictures);
    // Settings that cannot be read may be those of an album that forbids
    // saving: its pictures are kept as such an album keeps them.
    EnablePictureSaving(!unread.Settings && settings.ReadBool("Settings", "AllowSave", true));
    std::optional<std::string> typedPassword;
    passwordOpened_ = false;
    for (int32_t p = 1; p <= pictures; ++p) {
        // Ended by the system meanwhile, the viewer leaves without the rest.
        if (Application && Application->CheckTerminated())
            break;
        if (std::optional<std::string> why = LoadAlbumPicture(p, settings, typedPassword))
            unread.Pictures.push_back({p, std::move(*why)});
        CurrentImage = GetTImageofX(p);
        LoadPicture();
        PictureCount = p;
    }
    return unread;
}

// Entry 0, the settings file, written into the private folder by its
// stored name; nullopt when it was, else why not. An entry 0 of another
// name is written too, and the settings file is then simply absent.
std::optional<std::string> TForm1::ReadSettingsEntry()
{
    ZipReader1.SetDestDir(TempFolder);
    ZipReader1.RecreateDirs = false;
    std::string failure;
    const auto noteFailure = [&] { failure = ZipReader1.EntryFailure(); };
    ZipReader1.OnBadCRC = [&](TZipReader&, std::uint32_t, std::uint32_t, int) { noteFailure(); };
    ZipReader1.OnSkippingFile = [&](TZipReader&, TSkipReason, const std::string&, int, bool&) { noteFailure(); };
    const TScopeExit unhook([this] {
        ZipReader1.OnBadCRC = nullptr;
        ZipReader1.OnSkippingFile = nullptr;
    });
    if (ZipReader1.UnZipSelectedToDestDir() > 0)
        return std::nullopt;
    return failure == "bad CRC" || failure.empty() ? "the entry is damaged" : "the entry is damaged (" + failure + ")";
}

void TForm1::BuildStrip(int32_t pictures)
{
    ScrollBox1->DisableAutoRange();
    const TScopeExit resume([this] { ScrollBox1->EnableAutoRange(); });
    for (int32_t p = 1; p <= pictures; ++p) {
        BuildFrame(p);
        framesBuilt_ = p;
    }
}

void TForm1::BuildFrame(int32_t p)
{
    const std::string number = IntToStr(p);
    const TFilmFramePlace place = FilmFramePlace(p, PixelsPerInch());

    TPanel* film = NewComponent<TPanel>(*this);
    film->SetParent(ScrollBox1);
    film->SetName("Film" + number);
    film->SetBevelOuter(bvNone);
    film->SetColor(clBlack);
    film->SetCaption("");
    film->SetBoundsRect(place.Film);

    const char rows[] = {'A', 'B'};
    for (int row = 0; row < 2; ++row) {
        for (int c = 0; c < HolesPerRow; ++c) {
            TPanel* hole = NewComponent<TPanel>(*this);
            hole->SetParent(film);
            hole->SetName(HoleName(c, rows[row], p));
            hole->SetBevelOuter(bvLowered);
            hole->SetCaption("");
            hole->SetBoundsRect(place.Holes[row][c]);
        }
    }

    TPanel* panel = NewComponent<TPanel>(*this);
    panel->SetParent(film);
    panel->SetName("Panel" + number);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clBlack);
    panel->SetCaption("");
    panel->Font().SetColor(clWhite);
    panel->SetBoundsRect(place.Panel);

    TImage* image = NewComponent<TImage>(*this);
    image->SetParent(panel);
    image->SetName("Image" + number);
    image->SetStretch(true);
    image->SetBounds(ScaleByPPI(1, PixelsPerInch()), ScaleByPPI(1, PixelsPerInch()), panel->ClientWidth(),
                     panel->ClientHeight());
    image->OnDblClick = [this](TObject* Sender) { ShowPicture1Click(Sender); };
    image->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
        ImageMouseDown(Sender, Button, Shift, X, Y);
    };

    NewWrappedLabel(*this, ScrollBox1, "Label" + number, "",
                    Bounds(place.LabelLeft, place.LabelTop, panel->ClientWidth(), place.LabelHeight));
}

void TForm1::EnablePictureSaving(bool allow)
{
    savingAllowed_ = allow;
    CopyPicturetoClipboard1->SetEnabled(allow);
    LoadPicture1->SetEnabled(allow);
    PrintPicture1->SetEnabled(allow);
    if (pictoalbum::Form2)
        pictoalbum::Form2->BitBtn9->SetEnabled(allow);
}

// Picture p with its caption; a protected one whose password is not given
// stays locked, its caption hidden. One that cannot be read stays empty,
// marked as damaged, and the rest of the album loads: the result says why.
std::optional<std::string> TForm1::LoadAlbumPicture(int32_t p, const TIniFile& settings,
                                                    std::optional<std::string>& typedPassword)
{
    const std::string caption = pictoalbum::ReadCarriedValue(settings, "Image" + IntToStr(p), "Caption", "");
    const bool encrypted = ZipReader1.GetEncrypted(p);
    // The password form that opened the entry scrambled its caption.
    const auto showCaption = [&] {
        const std::string shown = encrypted ? Decrypt(caption, GetWordPass(ZipReader1.Password)) : caption;
        GetTLabelofX(p)->SetCaption(FileTextToUtf8(shown));
    };
    TMemoryStream stream;
    try {
        if (!ExtractPicture(p, stream, typedPassword)) {
            ShowLocked(p);
            return std::nullopt;
        }
        const std::string opened = ZipReader1.Password;
        showCaption();
        ShowPictureFrom(p, stream, opened);
        return std::nullopt;
    } catch (const Exception& e) {
        if (!encrypted || typedPassword)
            showCaption();
        ShowDamaged(p);
        return std::string(e.what());
    }
}

// True when entry p's data is in stream, with the password form that
// opened it in ZipReader1.Password; false when it stays locked (no password
// given); raises when the entry yields no data or cannot be read. The
// engine checks each form of the typed password against the entry's check
// byte, and asks again through OnBadPassword once every form failed, while
// the answer changes.
bool TForm1::ExtractPicture(int32_t p, TMemoryStream& stream, std::optional<std::string>& typedPassword)
{
    const bool encrypted = ZipReader1.GetEncrypted(p);
    if (encrypted && !typedPassword && !AskPassword(PasswordPrompt, typedPassword))
        return false;
    pictoalbum::TPasswordForms forms(encrypted ? *typedPassword : "");
    ZipReader1.Password = forms.Current();
    bool refused = false;
    ZipReader1.OnBadPassword = [&](TZipReader& sender, int, std::string& newPassword) {
        // The password opened an earlier entry: data failing behind it are damaged.
        if (passwordOpened_ && sender.CheckBytePassed())
            return;
        refused = !forms.Advance([&] {
            return AskPassword(WrongPasswordPrompt, typedPassword) ? typedPassword : std::nullopt;
        });
        if (!refused)
            newPassword = forms.Current();
    };
    const TScopeExit unhook([this] { ZipReader1.OnBadPassword = nullptr; });
    const bool extracted = ZipReader1.UnZipToStreamByIndex(&stream, p) > 0;
    if (refused)
        return false;
    if (!extracted)
        throw Exception("the entry is damaged");
    passwordOpened_ = passwordOpened_ || encrypted;
    return true;
}

// The strip keeps only the picture's size and a small copy; the whole
// picture is read again from the album when it is needed.
void TForm1::ShowPictureFrom(int32_t p, TMemoryStream& stream, const std::string& password)
{
    stream.Seek(0, soFromBeginning);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(stream);
    if (!albumOpen_)
        albumOpen_ = std::make_shared<bool>(true);
    const std::weak_ptr<bool> open = albumOpen_;
    const TAlbumPicture picture(jpeg, [this, open, p, password, opened = EntryFacts(p)] {
        return open.expired() ? std::vector<std::uint8_t>() : ReadEntryAgain(p, password, opened);
    });
    GetTImageofX(p)->Picture().SetGraphic(&picture);
}

TForm1::TEntryFacts TForm1::EntryFacts(int32_t p) const
{
    const TZipHeaderInfo& entry = ZipReader1.GetEntry(p);
    return {entry.FullName(), entry.CRC32, entry.CompressedSize, entry.UncompressedSize, entry.LocalHeaderOffset};
}

// Entry p's bytes without asking anything, as the album was opened with
// them. The file is held open, so they are gone only when it was changed in
// place: the reader then reads its directory again, and what it finds at p,
// if anything, is another entry, or data that fails its check.
std::vector<std::uint8_t> TForm1::ReadEntryAgain(int32_t p, const std::string& password, const TEntryFacts& opened)
{
    reading_ = true;
    const TScopeExit read([this] { reading_ = false; });
    TMemoryStream stream;
    bool same = false;
    try {
        ZipReader1.Password = password;
        same = ZipReader1.UnZipToStreamByIndex(&stream, p) > 0 && EntryFacts(p) == opened;
    } catch (const Exception&) {
    }
    if (!same)
        throw Exception(Format("Couldn't Read Picture %d from %s: the album file has changed since it was opened",
                               {IntToStr(p), AlbumFileName}));
    return stream.Bytes();
}

// An empty frame marked as locked; its caption stays hidden, as it would
// read as garbage without the password.
void TForm1::ShowLocked(int32_t p)
{
    dynamic_cast<TPanel&>(*FindComponent("Panel" + IntToStr(p))).SetCaption(LockedMark);
}

// An empty frame marked as damaged.
void TForm1::ShowDamaged(int32_t p)
{
    dynamic_cast<TPanel&>(*FindComponent("Panel" + IntToStr(p))).SetCaption(DamagedMark);
}

void TForm1::CloseAlbum()
{
    for (int32_t n = 1; n <= std::max(PictureCount, framesBuilt_); ++n) {
        const std::string number = IntToStr(n);
        std::vector<std::string> names = {"Label" + number, "Image" + number, "Panel" + number};
        for (char row : {'A', 'B'})
            for (int c = 0; c < HolesPerRow; ++c)
                names.push_back(HoleName(c, row, n));
        names.push_back("Film" + number);
        for (const std::string& name : names)
            if (TComponent* component = FindComponent(name))
                component->Free();
    }
    framesBuilt_ = 0;
    albumOpen_.reset();
    // Lets go of the album's file.
    ZipReader1.ClearZip();
    PictureCount = 0;
    CurrentImage = nullptr;
    RemoveSettingsFiles();
    AlbumTitle = "Untitled";
    SetCaption(AlbumTitle + " - Pictoria");
}

// Whatever the last opening extracted: the settings file, or the entry that
// stood in its place.
void TForm1::RemoveSettingsFiles()
{
    if (TempFolder.empty())
        return;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(TempFolder, ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

} // namespace pictoview
