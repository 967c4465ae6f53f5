// TForm1: the viewer's main window. It owns its design-time components (the
// top bar, the film strip's scroll box, the picture menu, the dialogs and
// the album reader), the film strip it builds for the open album, and the
// private folder the album's settings file is extracted into. At start-up
// (FormShow) it opens the album named on the command line or the one chosen
// in the open dialog.
//
// An opening that fails raises its exception after closing the album: the
// splash goes, every frame it built is freed and the next opening starts
// clean. While an album opens, the window's commands do nothing and a close
// request waits for the opening to end.
//
// The open album's file is held open until the album closes: a new album
// renamed over it (the compiler's save) leaves the viewer showing, copying
// and saving the album it opened. A picture read again from a file changed
// in place raises that the album has changed. While a picture is read again
// (the reader processes waiting messages), the window's commands do nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "KeyWordScrambling.h"
#include "PrivateFolder.h"
#include "QtZipUI.h"
#include "SlideShowHost.h"
#include "Stream.h"
#include "ZipReader.h"
#include "controls/Buttons.h"
#include "controls/ExtCtrls.h"
#include "controls/Forms.h"
#include "controls/Image.h"
#include "controls/Menus.h"
#include "controls/ScrollBox.h"
#include "controls/StdCtrls.h"
#include "dialogs/Dialogs.h"
#include "files/IniFiles.h"
#include "pictures/Jpeg.h"

namespace pictoview {

inline const std::string SettingsFileName = "pictoview.ini";
inline const std::string LockedMark = "Locked";
inline const std::string DamagedMark = "Damaged";

// A picture of the album that could not be read, and why.
struct TDamagedPicture {
    int32_t Number = 0;
    std::string Why;
};

// What an opening could not read: the settings entry (why), the pictures.
struct TUnreadParts {
    // The album file read in part: why.
    std::optional<std::string> Album;
    std::optional<std::string> Settings;
    std::vector<TDamagedPicture> Pictures;
};

class TForm1 : public TForm, public pictoalbum::TSlideShowHost {
public:
    // The program as started, with the application's parameters.
    TForm1();
    // parameters: the command line after the program.
    explicit TForm1(std::vector<std::string> parameters);
    ~TForm1() override;
    std::string ClassName() const override { return "TForm1"; }

    TPanel* TopPanel = nullptr;
    TLabel* TopLabel = nullptr;
    TBitBtn* BitBtn4 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;
    TScrollBox* ScrollBox1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* CopyPicturetoClipboard1 = nullptr;
    TMenuItem* LoadPicture1 = nullptr;
    TMenuItem* PrintPicture1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* ShowPicture1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TSavePictureDialog* SavePictureDialog1 = nullptr;
    TZipReader ZipReader1;

    // The open album.
    TImage* CurrentImage = nullptr;
    int32_t PictureCount = 0;
    std::string AlbumFileName;
    std::string AlbumTitle;
    // This process's private folder, ending in "/"; empty until the first
    // opening.
    std::string TempFolder;
    bool AutoSlideShow = false;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);

    // Opens AlbumFileName into an empty strip. A failure raises after
    // closing the album; pictures that cannot be read stay empty, marked
    // as damaged, and are named in one message once the album is open,
    // after the settings entry when it cannot be read (the album is then
    // shown as one that forbids saving).
    void OpenAlbum();
    // Frees the strip, removes the extracted settings file, and leaves no
    // album open.
    void CloseAlbum();
    static std::string CheckPath(const std::string& Path);
    bool Opening() const { return opening_; }

    // Key-word scrambling of protected captions.
    std::string Decrypt(const std::string& S, uint16_t K) const { return pictoalbum::Decrypt(S, K); }
    uint16_t GetWordPass(const std::string& P) const { return pictoalbum::GetWordPass(P); }

    // The film strip's picture commands. Those that act on a picture do
    // nothing for a thumbnail without one (a locked or damaged picture).
    TImage* GetTImageofX(int32_t n) const override;
    int32_t GetXofTImage(const TImage& image) const override;
    void LoadPicture();
    void ImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ShowPicture1Click(TObject* Sender);
    void BitBtn2Click(TObject* Sender);
    void BitBtn4Click(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void CopyPicturetoClipboard1Click(TObject* Sender);
    void LoadPicture1Click(TObject* Sender);
    void PrintPicture1Click(TObject* Sender);

    // The slide-show window's view of the strip.
    TImage* SlideCurrentImage() const override { return CurrentImage; }
    void SetSlideCurrentImage(TImage* image) override { CurrentImage = image; }
    int32_t SlidePictureCount() const override { return PictureCount; }
    std::string SlideCaption(int32_t n) const override;
    std::unique_ptr<TGraphic> SlidePicture(const TImage& image) override;
    void PrintSlide(const TGraphic* picture, const std::string& caption) override;

private:
    // What tells an entry from another: a file changed in place holds other
    // entries, or the same ones at other places.
    struct TEntryFacts {
        std::string Name;
        std::uint32_t CRC32 = 0;
        std::uint64_t CompressedSize = 0;
        std::uint64_t UncompressedSize = 0;
        std::uint64_t LocalHeaderOffset = 0;

        bool operator==(const TEntryFacts&) const = default;
    };

    void CreateComponents();
    void CreateTopBar();
    void CreatePopupMenu();
    TMenuItem* NewMenuItem(const std::string& name, const std::string& caption);

    // The steps of an opening.
    TUnreadParts OpenAlbumSteps();
    std::optional<std::string> ReadSettingsEntry();
    void BuildStrip(int32_t pictures);
    void BuildFrame(int32_t p);
    void EnablePictureSaving(bool allow);
    // The picture menu's commands for CurrentImage, as the album allows.
    void EnableFrameCommands();
    std::optional<std::string> LoadAlbumPicture(int32_t p, const TIniFile& settings,
                                                std::optional<std::string>& typedPassword);
    bool ExtractPicture(int32_t p, TMemoryStream& stream, std::optional<std::string>& typedPassword);
    void ShowPictureFrom(int32_t p, TMemoryStream& stream, const std::string& password);
    TEntryFacts EntryFacts(int32_t p) const;
    std::vector<std::uint8_t> ReadEntryAgain(int32_t p, const std::string& password, const TEntryFacts& opened);
    void ShowLocked(int32_t p);
    void ShowDamaged(int32_t p);
    void EndOpening();
    void RemoveSettingsFiles();

    TLabel* GetTLabelofX(int32_t n) const;
    bool ShowsPicture(const TImage* image) const;
    // The whole picture of a thumbnail that shows one, read from the album.
    std::unique_ptr<TJPEGImage> WholePicture(const TImage& image);
    // An opening or a picture's read is running: commands do nothing then.
    bool Busy() const { return opening_ || reading_; }
    // Fills the slide-show window with image and its caption, maximised.
    void FillSlideShow(const TImage& image);

    std::vector<std::string> parameters_;
    std::unique_ptr<TPrivateFolder> settingsFolder_;
    // Frames built by the last opening, which may pass PictureCount when
    // a picture fails to load.
    int32_t framesBuilt_ = 0;
    // Alive while the album is open: the strip's pictures read their entries
    // again only while it is.
    std::shared_ptr<bool> albumOpen_;
    // The open album lets its pictures be copied, saved and printed.
    bool savingAllowed_ = true;
    bool opening_ = false;
    // A protected entry of the album being opened has opened: the password
    // is right.
    bool passwordOpened_ = false;
    bool reading_ = false;
    bool closeRequested_ = false;
    // The engine's questions reach the user as dialogs for as long as the
    // window lives.
    TQtZipUI zipUI_;
    TZipUIScope zipUIScope_{zipUI_};
};

extern TForm1* Form1;

} // namespace pictoview
