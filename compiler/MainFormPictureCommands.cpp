// The commands on the album's pictures: adding them from files, the
// clipboard or a scanner, moving one by a click, turning the selected ones,
// saving and copying one, and the edits that mark the album changed.
#include <filesystem>
#include <memory>

#include "Format.h"
#include "HeldPicture.h"
#include "MainForm.h"
#include "PictureRotation.h"
#include "ScannerFailure.h"
#include "ScopeExit.h"
#include "application/Application.h"
#include "files/TextCodec.h"
#include "pictures/Clipbrd.h"
#include "pictures/Jpeg.h"
#include "screen/Screen.h"

namespace pictomake {

namespace {

const std::string NewCaption = "Put Caption Here";

// The file name without folder, up to its first ".", as text: a Linux name
// need not be UTF-8, and bytes that are not are read as Windows-1252, as any
// other 8-bit text here, rather than lost to the edit.
std::string CaptionOfFile(const std::string& fileName)
{
    const std::string name = std::filesystem::path(fileName).filename().string();
    return FileTextToUtf8(name.substr(0, name.find('.')));
}

std::string FileNamePart(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

} // namespace

void TForm1::AddFile1Click(TObject* Sender)
{
    if (Sender == AddFile1 || Sender == AddPicturefromFile1)
        AddFromFiles();
    else if (Sender == AddfromClipboard1 || Sender == AddPicturefromClipboard1)
        AddFromClipboard();
    else if (Sender == AddScanner1 || Sender == AddPicturefromScanner1)
        AddFromScanner(Sender);
}

int32_t TForm1::NewPictUnit()
{
    const int32_t n = ++PictureCount;
    CreatePictUnit(n);
    CurrentImage = GetTImageofX(n);
    SelectCurrent(0, 0);
    return n;
}

void TForm1::AddPictureUnit(const TGraphic& graphic, const std::string& source, const std::string& caption)
{
    const int32_t n = NewPictUnit();
    CurrentImage->Picture().SetGraphic(&graphic);
    PictureSources.push_back(source);
    dynamic_cast<TEdit&>(*FindComponent("Edit" + IntToStr(n))).SetText(caption);
    LoadPicture();
    Modified = true;
}

// Each file is read before its unit is made, so a file that is no picture
// leaves the album as it was; the others are still added, and the ones
// that failed are named together at the end.
void TForm1::AddFromFiles()
{
    if (!OpenPictureDialog1->Execute())
        return;
    std::string problems;
    for (const std::string& file : OpenPictureDialog1->Files) {
        TPicture picture;
        try {
            picture.LoadFromFile(file);
            if (picture.Width() <= 0 || picture.Height() <= 0)
                throw EInvalidGraphic("The picture is empty");
        } catch (const Exception& e) {
            problems += (problems.empty() ? "" : "\r\r") + Format("Couldn't read the picture %s: %s", {file, e.what()});
            continue;
        }
        AddPictureUnit(*picture.Graphic(), file, CaptionOfFile(file));
    }
    if (!problems.empty())
        ShowMessage(problems);
}

// The clipboard's image is held as a JPEG picture, compressed at once.
void TForm1::AddFromClipboard()
{
    const std::unique_ptr<TBitmap> bitmap = Clipboard().Picture();
    if (!bitmap || bitmap->Empty()) {
        ShowMessage("The clipboard holds no picture to add.");
        return;
    }
    TJPEGImage jpeg;
    jpeg.Assign(*bitmap);
    jpeg.Compress();
    AddPictureUnit(jpeg, "Image" + IntToStr(PictureCount + 1), NewCaption);
}

void TForm1::AddFromScanner(TObject* Sender)
{
    if (AcquireImg1->Acquiring())
        return; // one acquisition at a time; this one was asked for while the scanner is busy
    const int32_t n = NewPictUnit();
    PictureSources.push_back("Image" + IntToStr(n));
    LoadPicturefromScanner1Click();
    dynamic_cast<TEdit&>(*FindComponent("Edit" + IntToStr(n))).SetText(NewCaption);
    if (CurrentImage->Picture().Graphic())
        LoadPicture();
    else
        ClosePicture1Click(Sender); // the new unit is the only one selected
    Modified = true;
}

void TForm1::LoadPicturefromScanner1Click()
{
    if (!AcquireImg1->LoadSourceManager()) {
        ShowMessage("Error to load TWAIN_32.DLL");
        return;
    }
    std::unique_ptr<TJPEGImage> jpeg;
    std::string failure;
    {
        const TScopeExit unload([this] {
            AcquireImg1->CloseSourceManager();
            AcquireImg1->UnloadSourceManager();
        });
        failure = ScanPicture(jpeg);
    }
    if (!failure.empty()) {
        ShowMessage(failure);
        return;
    }
    if (!jpeg || jpeg->Empty())
        return;
    CurrentImage->Picture().Bitmap().Assign(*jpeg);
    const int answer = Application->MessageBox("Whould you like to save this picture to the harddrive?",
                                               "Save Picture to Harddrive?", MB_YESNO);
    if (answer == IDYES && SavePictureDialog1->Execute()) {
        CurrentImage->Picture().SaveToFile(SavePictureDialog1->FileName);
        PictureSources.at(GetXofTImage(*CurrentImage) - 1) = SavePictureDialog1->FileName;
    }
    LoadPicture();
    Modified = true;
}

// Runs the acquisition's steps in their order; each step after a failed one
// gives that failure again, so the first failure is the cause.
std::string TForm1::ScanPicture(std::unique_ptr<TJPEGImage>& jpeg)
{
    const int managerOpened = AcquireImg1->OpenSourceManager();
    std::string source;
    AcquireImg1->GetSourceName(false, source);
    const int selected = AcquireImg1->SelectSource(source);
    const int sourceOpened = AcquireImg1->OpenSource();
    AcquireImg1->AcquireJPEG(jpeg, 50);
    const int scanned = AcquireImg1->AcquireDetail(); // tells a cancel from a failure
    return ScannerFailureText({{ScannerStep::OpenSourceManager, managerOpened},
                               {ScannerStep::SelectSource, selected},
                               {ScannerStep::OpenSource, sourceOpened},
                               {ScannerStep::Scan, scanned}});
}

void TForm1::BitBtn1Click(TObject*)
{
    const TPoint at = BitBtn1->ClientToScreen({0, BitBtn1->Height()});
    PopupMenu2->Popup(at.X, at.Y);
}

void TForm1::MovePicture1Click(TObject*)
{
    if (CurrentImage)
        CurrentImage->BeginDrag(true, 0); // the next click drops it
}

void TForm1::RotatePicture90degrees1Click(TObject*)
{
    RotateSelected(TQuarterTurn::Clockwise);
}

void TForm1::RotatePicture90degreescounterclockwise1Click(TObject*)
{
    RotateSelected(TQuarterTurn::CounterClockwise);
}

// Held pictures (locked or unreadable album entries) have no pixels to turn
// and keep their stored data; empty ones have nothing to turn.
void TForm1::RotateSelected(TQuarterTurn turn)
{
    const TColor highlight = GetHighlightColor();
    const TCursor previous = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
    const TScopeExit restoreCursor([previous] { Screen->SetCursor(previous); });
    for (int32_t n = 1; n <= PictureCount; ++n) {
        if (GetTPanelofX(n)->Color() != highlight)
            continue;
        CurrentImage = GetTImageofX(n);
        const TGraphic* graphic = CurrentImage->Picture().Graphic();
        if (!graphic || AsHeldPicture(graphic))
            continue;
        const std::unique_ptr<TGraphic> turned = TurnedGraphic(*graphic, turn);
        if (!turned)
            continue;
        CurrentImage->Picture().SetGraphic(turned.get());
        LoadPicture();
    }
    Modified = true;
}

// Written in the picture's own format, through a temporary file beside the
// chosen one: a failure leaves a file already there as it was.
void TForm1::SavePictureAs1Click(TObject*)
{
    if (!CurrentImage || !CurrentImage->Picture().Graphic())
        return;
    SavePictureDialog1->FileName = FileNamePart(PictureSources.at(GetXofTImage(*CurrentImage) - 1));
    if (SavePictureDialog1->Execute())
        CurrentImage->Picture().SaveToFile(SavePictureDialog1->FileName);
}

void TForm1::CopyPicturetoClipboard1Click(TObject*)
{
    if (CurrentImage && CurrentImage->Picture().Graphic())
        Clipboard().Assign(*CurrentImage->Picture().Graphic());
}

void TForm1::EditChange(TObject*)
{
    Modified = true;
}

void TForm1::CheckBoxClick(TObject*)
{
    Modified = true;
}

void TForm1::BindPictureCommands()
{
    for (TMenuItem* add : {AddFile1, AddScanner1, AddfromClipboard1, AddPicturefromFile1, AddPicturefromScanner1,
                           AddPicturefromClipboard1})
        add->OnClick = [this](TObject* Sender) { AddFile1Click(Sender); };
    BitBtn1->OnClick = [this](TObject* Sender) { BitBtn1Click(Sender); };
    CopyPicturetoClipboard1->OnClick = [this](TObject* Sender) { CopyPicturetoClipboard1Click(Sender); };
    SavePictureAs1->OnClick = [this](TObject* Sender) { SavePictureAs1Click(Sender); };
    MovePicture1->OnClick = [this](TObject* Sender) { MovePicture1Click(Sender); };
    RotatePicture90degrees1->OnClick = [this](TObject* Sender) { RotatePicture90degrees1Click(Sender); };
    RotatePicture90degreescounterclockwise1->OnClick = [this](TObject* Sender) {
        RotatePicture90degreescounterclockwise1Click(Sender);
    };

    OpenPictureDialog1->Options = ofHideReadOnly | ofAllowMultiSelect | ofFileMustExist;
    OpenPictureDialog1->Filter = "All Picture Types (*.bmp;*.ico;*.emf;*.wmf;*.jpg)|*.bmp;*.ico;*.emf;*.wmf;*.jpg|"
                                 "Bitmaps (*.bmp)|*.bmp|Icon Files (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|"
                                 "Metafiles (*.wmf)|*.wmf|JPEG (*.jpg)|*.jpg";
    SavePictureDialog1->Options = ofHideReadOnly | ofOverwritePrompt;
    SavePictureDialog1->Filter =
        "All Picture Types (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
        "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|"
        "Icon Files (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";
}

} // namespace pictomake
