// TForm1: the compiler's main window. It owns its design-time components
// (the top bar, the picture grid's scroll box, the menus and dialogs), the
// picture units it builds at run time and the album being edited. At start-up
// (FormShow) it registers the file types and then opens the project named on
// the command line, or the one chosen in the open dialog, or starts a new
// album.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AcquireImage.h"
#include "Buttons.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "FileTypeRegistration.h"
#include "Forms.h"
#include "Image.h"
#include "Menus.h"
#include "ScrollBox.h"
#include "StdCtrls.h"
#include "ZipWriter.h"

inline const std::string UntitledProject = "Untitled";

// The main window's caption for an album with this title and project file.
std::string AlbumCaption(const std::string& title, const std::string& projectFileName);

class TForm1 : public TForm {
public:
    // The program as started: registers into the user's desktop, with the
    // application's path and parameters.
    TForm1();
    // programPath: the compiler's full path; parameters: the command line
    // after the program.
    TForm1(TFileTypeRegistrar& registrar, std::string programPath, std::vector<std::string> parameters);
    ~TForm1() override;
    std::string ClassName() const override { return "TForm1"; }

    TPanel* TopPanel;
    TBitBtn* BitBtn3;
    TBitBtn* BitBtn4;
    TBitBtn* BitBtn6;
    TLabel* Label1;
    TBitBtn* BitBtn2;
    TBitBtn* BitBtn5;
    TBitBtn* BitBtn1;
    TLabel* Label2;
    TEdit* Title;
    TBitBtn* BitBtn8;
    TBitBtn* BitBtn7;
    TScrollBox* ScrollBox1;
    TMainMenu* MainMenu1;
    TMenuItem* File1;
    TMenuItem* New1;
    TMenuItem* Open1;
    TMenuItem* Save1;
    TMenuItem* SaveAs1;
    TMenuItem* Quit1;
    TMenuItem* Picture1;
    TMenuItem* AddFile1;
    TMenuItem* AddScanner1;
    TMenuItem* AddfromClipboard1;
    TMenuItem* Options1;
    TMenuItem* Settings1;
    TMenuItem* Compile1;
    TMenuItem* Help1;
    TMenuItem* Contents1;
    TPopupMenu* PopupMenu1;
    TMenuItem* ImageName1;
    TMenuItem* CopyPicturetoClipboard1;
    TMenuItem* SavePictureAs1;
    TMenuItem* MovePicture1;
    TMenuItem* RotatePicture90degrees1;
    TMenuItem* RotatePicture90degreescounterclockwise1;
    TMenuItem* ClosePicture1;
    TMenuItem* ShowPicture1;
    TPopupMenu* PopupMenu2;
    TMenuItem* AddPicturefromFile1;
    TMenuItem* AddPicturefromScanner1;
    TMenuItem* AddPicturefromClipboard1;
    TOpenDialog* OpenDialog1;
    TSaveDialog* SaveDialog1;
    TOpenPictureDialog* OpenPictureDialog1;
    TSavePictureDialog* SavePictureDialog1;
    TAcquireImage* AcquireImg1;
    TZipWriter ZipWriter1;

    // The album being edited.
    TImage* CurrentImage = nullptr;
    std::string ProjectFileName;
    int32_t PictureCount = 0;
    std::vector<std::string> PictureSources;
    bool Modified = false;

    void FormShow(TObject* Sender);
    void OpenProject(const std::string& fileName);

    // The picture grid.
    void CreatePictUnit(int32_t n);
    TImage* GetTImageofX(int32_t n) const;
    int32_t GetXofTImage(const TImage& image) const;
    int32_t GetXofTPanel(const TPanel& panel) const;
    void LoadPicture();
    TColor GetHighlightColor() const;
    void SelectCurrent(uint8_t mode, int32_t anchor);
    void ImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ClosePicture1Click(TObject* Sender);

    // Picture commands.
    void ImageDragOver(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept);
    // Moves the Source image's picture to the Sender image's place.
    void ImageDragDrop(TObject* Sender, TObject* Source, int X, int Y);

private:
    void CreateComponents();
    void CreateTopBar();
    void CreateMainMenu();
    void CreatePopupMenus();
    void CreateDialogs();
    void CreateAlbumComponents();
    TBitBtn* NewButton(const std::string& name, const std::string& caption, TRect bounds);
    TMenuItem* NewMenuItem(TMenuItem& parent, const std::string& name, const std::string& caption);
    void AddSeparator(TMenuItem& parent);

    void RegisterFileTypes();
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

    std::unique_ptr<TFileTypeRegistrar> ownRegistrar_;
    TFileTypeRegistrar* registrar_;
    std::string programPath_;
    std::vector<std::string> parameters_;
    int separators_ = 0;
};

extern TForm1* Form1;
