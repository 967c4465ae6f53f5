// TForm1: the compiler's main window. It owns its design-time components
// (the top bar, the picture grid's scroll box, the menus and dialogs), the
// picture units it builds at run time and the album being edited. At start-up
// (FormShow) it registers the file types and then opens the project named on
// the command line, or the one chosen in the open dialog, or starts a new
// album.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AcquireImage.h"
#include "FileTypeRegistration.h"
#include "KeyWordScrambling.h"
#include "PictureRotation.h"
#include "ProjectFile.h"
#include "QtZipUI.h"
#include "SlideShowHost.h"
#include "ZipWriter.h"
#include "controls/Buttons.h"
#include "controls/ExtCtrls.h"
#include "controls/Forms.h"
#include "controls/Image.h"
#include "controls/Menus.h"
#include "controls/ScrollBox.h"
#include "controls/StdCtrls.h"
#include "dialogs/Dialogs.h"

namespace pictomake {

inline const std::string UntitledProject = "Untitled";

// The main window's caption for an album with this title and project file.
std::string AlbumCaption(const std::string& title, const std::string& projectFileName);

struct TAlbumOpening;

class TForm1 : public TForm, public pictoalbum::TSlideShowHost {
public:
    // The program as started: registers into the user's desktop, with the
    // application's path and parameters.
    TForm1();
    // programPath: the compiler's full path; parameters: the command line
    // after the program.
    TForm1(TFileTypeRegistrar& registrar, std::string programPath, std::vector<std::string> parameters);
    ~TForm1() override;
    std::string ClassName() const override { return "TForm1"; }

    TPanel* TopPanel = nullptr;
    TBitBtn* BitBtn3 = nullptr;
    TBitBtn* BitBtn4 = nullptr;
    TBitBtn* BitBtn6 = nullptr;
    TLabel* Label1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;
    TBitBtn* BitBtn5 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* Title = nullptr;
    TBitBtn* BitBtn8 = nullptr;
    TBitBtn* BitBtn7 = nullptr;
    TScrollBox* ScrollBox1 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* File1 = nullptr;
    TMenuItem* New1 = nullptr;
    TMenuItem* Open1 = nullptr;
    TMenuItem* Save1 = nullptr;
    TMenuItem* SaveAs1 = nullptr;
    TMenuItem* Quit1 = nullptr;
    TMenuItem* Picture1 = nullptr;
    TMenuItem* AddFile1 = nullptr;
    TMenuItem* AddScanner1 = nullptr;
    TMenuItem* AddfromClipboard1 = nullptr;
    TMenuItem* Options1 = nullptr;
    TMenuItem* Settings1 = nullptr;
    TMenuItem* Compile1 = nullptr;
    TMenuItem* Help1 = nullptr;
    TMenuItem* Contents1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* ImageName1 = nullptr;
    TMenuItem* CopyPicturetoClipboard1 = nullptr;
    TMenuItem* SavePictureAs1 = nullptr;
    TMenuItem* MovePicture1 = nullptr;
    TMenuItem* RotatePicture90degrees1 = nullptr;
    TMenuItem* RotatePicture90degreescounterclockwise1 = nullptr;
    TMenuItem* ClosePicture1 = nullptr;
    TMenuItem* ShowPicture1 = nullptr;
    TPopupMenu* PopupMenu2 = nullptr;
    TMenuItem* AddPicturefromFile1 = nullptr;
    TMenuItem* AddPicturefromScanner1 = nullptr;
    TMenuItem* AddPicturefromClipboard1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;
    TOpenPictureDialog* OpenPictureDialog1 = nullptr;
    TSavePictureDialog* SavePictureDialog1 = nullptr;
    TAcquireImage* AcquireImg1 = nullptr;
    TZipWriter ZipWriter1;

    // The album being edited.
    TImage* CurrentImage = nullptr;
    std::string ProjectFileName;
    int32_t PictureCount = 0;
    std::vector<std::string> PictureSources;
    bool Modified = false;

    void FormShow(TObject* Sender);

    // Key-word scrambling of the album password and protected captions.
    std::string Encrypt(const std::string& S, uint16_t K) const { return pictoalbum::Encrypt(S, K); }
    std::string Decrypt(const std::string& S, uint16_t K) const { return pictoalbum::Decrypt(S, K); }
    uint16_t GetWordPass(const std::string& P) const { return pictoalbum::GetWordPass(P); }

    // The album project file. OpenProject loads a project into an empty
    // editor: pictures from the album file beside it (asking for the
    // password of protected ones) or from their sources, then the settings.
    // A picture that cannot be shown keeps its place, its source and its
    // caption, and is reported by name. WriteIni writes the editor's state
    // into ProjectFileName, whole or not at all (EIniFileException); fresh:
    // nothing else the file held survives.
    void OpenProject(const std::string& fileName);
    void WriteIni(bool fresh = false);
    // Shows the settings dialog; OK confirms and marks the album changed,
    // Cancel puts the last confirmed settings back.
    void Settings1Click(TObject* Sender);
    void TitleChange(TObject* Sender);

    // The picture grid.
    void CreatePictUnit(int32_t n);
    TImage* GetTImageofX(int32_t n) const override;
    int32_t GetXofTImage(const TImage& image) const override;
    int32_t GetXofTPanel(const TPanel& panel) const;
    void LoadPicture();
    TColor GetHighlightColor() const;
    void SelectCurrent(uint8_t mode, int32_t anchor);
    void ImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ClosePicture1Click(TObject* Sender);

    // The slide-show window: one picture without automatic advance (a
    // double click, "Show as Slide"), or the album from its first picture.
    void ShowPicture(TObject* Sender);
    void BitBtn2Click(TObject* Sender);
    TImage* SlideCurrentImage() const override { return CurrentImage; }
    void SetSlideCurrentImage(TImage* image) override { CurrentImage = image; }
    int32_t SlidePictureCount() const override { return PictureCount; }
    std::string SlideCaption(int32_t n) const override;
    void PrintSlide(const TGraphic* picture, const std::string& caption) override;

    // Picture commands.
    void ImageDragOver(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept);
    // Moves the Source image's picture to the Sender image's place.
    void ImageDragDrop(TObject* Sender, TObject* Source, int X, int Y);
    // Adds pictures from the source the Sender item names. A file that is
    // no picture is reported by name and adds nothing; a cancelled dialog
    // or a clipboard without an image adds nothing.
    void AddFile1Click(TObject* Sender);
    // Acquires one picture from a scanner or camera into CurrentImage; a
    // failing step is told to the user, a cancel is not.
    void LoadPicturefromScanner1Click();
    void BitBtn1Click(TObject* Sender);
    void MovePicture1Click(TObject* Sender);
    // Turn every selected picture a quarter turn.
    void RotatePicture90degrees1Click(TObject* Sender);
    void RotatePicture90degreescounterclockwise1Click(TObject* Sender);
    void SavePictureAs1Click(TObject* Sender);
    void CopyPicturetoClipboard1Click(TObject* Sender);
    // A caption edited or a protect mark clicked: the album has changed.
    void EditChange(TObject* Sender);
    void CheckBoxClick(TObject* Sender);

    // Saving, the album program and the document commands.
    // New albums are named into this folder ("Albums" in the user's
    // pictures folder unless set otherwise).
    std::string AlbumsFolder;
    // false: writes the album file whole (ProjectFileName with ".pxa"), or
    // leaves the old one as it was and raises. true: the album program
    // (".EXE") from the viewer and the album file on disk, through the
    // intermediate archive (".zip"); ENotFoundException when one of the
    // three files it is made of is missing.
    void CompileProject(bool Flag);
    void Compile1Click(TObject* Sender);
    // Names a new album and gives an untitled one its title; false when the
    // name prompt was cancelled.
    bool PromptCompile();
    void New1Click(TObject* Sender);
    void Open1Click(TObject* Sender);
    void Save1Click(TObject* Sender);
    void SaveAs1Click(TObject* Sender);
    void Close1Click(TObject* Sender);
    using TForm::CloseQuery;
    void CloseQuery(TObject* Sender, bool& CanClose);
    // The save question for a changed album: true when the album may be
    // left (saved, or answered No); false for Cancel or a save that failed
    // or was cancelled.
    bool AskToSave();
    // The save dialog: true with ProjectFileName set to the chosen project.
    bool GetNewFN();
    void Contents1Click(TObject* Sender);

private:
    void BindDocumentCommands();
    std::string CompilerFolder() const;
    // Both files, album file first, or neither; a failure is reported and
    // gives false. freshProjectFile: nothing of an overwritten project file
    // survives.
    bool SaveDocument(bool freshProjectFile);
    // The password question, once, when protected pictures need one.
    void SettleAlbumPassword();
    // The album file written complete into temporaryFile.
    void WriteAlbumFile(const std::string& temporaryFile);
    void ReplaceAlbumFile(const std::function<void()>& beforeReplacing);
    void MakeAlbumProgram();
    void RemoveAllPictures();
    // promptTitle: the title prompt after the name (Save, Save As).
    bool SaveUnderNewName(bool promptTitle);

    void CreateComponents();
    void CreateTopBar();
    void CreateMainMenu();
    void CreatePopupMenus();
    void CreateDialogs();
    void CreateAlbumComponents();
    TMenuItem* NewMenuItem(TMenuItem& parent, const std::string& name, const std::string& caption);
    void AddSeparator(TMenuItem& parent);

    void RegisterFileTypes();
    void RegisterFileType(const std::vector<TFileTypeKey>& keys);
    void LoadProjectPicture(int32_t n, const TProjectPicture& picture, const std::string& albumPassword,
                            TAlbumOpening& opening);
    std::unique_ptr<TGraphic> ReadAlbumEntry(int32_t n, const std::string& storedCaption, TAlbumOpening& opening);
    bool AskPassword(const std::string& prompt, TAlbumOpening& opening);
    std::shared_ptr<const TStoredEntry> StoredAlbumEntry(int32_t n);
    void ShowPictureUnitState(int32_t n, bool locked);
    void ShowCaption();
    void OpenProjectUnderSplash(const std::string& fileName);
    void NewAlbum();
    TPanel* GetTPanelofX(int32_t n) const;
    TImage* PressedImage(TObject* Sender) const;
    void RemovePicture(int32_t n);
    // What travels with a picture when it moves.
    struct TPictUnitContent {
        std::unique_ptr<TGraphic> Graphic;
        std::string Source;
        std::string Caption;
        bool Checked = false;
        TColor Color = clBtnFace;
    };
    TPictUnitContent UnitContent(int32_t n) const;
    void SetUnitContent(int32_t n, const TPictUnitContent& content);
    // Picture commands.
    void BindPictureCommands();
    int32_t NewPictUnit();
    void AddPictureUnit(const TGraphic& graphic, const std::string& source, const std::string& caption);
    void AddFromFiles();
    void AddFromClipboard();
    void AddFromScanner(TObject* Sender);
    // The acquisition's steps; what failed, or "" when it did not.
    std::string ScanPicture(std::unique_ptr<TJPEGImage>& jpeg);
    void RotateSelected(TQuarterTurn turn);

    // The engine's questions (overwrite, next disk, passwords) reach the
    // user as dialogs for as long as the window lives.
    TQtZipUI zipUI_;
    TZipUIScope zipUIScope_{zipUI_};
    std::unique_ptr<TFileTypeRegistrar> ownRegistrar_;
    TFileTypeRegistrar* registrar_;
    std::string programPath_;
    std::vector<std::string> parameters_;
    int separators_ = 0;
};

extern TForm1* Form1;

} // namespace pictomake
