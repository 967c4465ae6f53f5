// The film strip's picture commands: looking pictures up by number and
// back, fitting a thumbnail, the picture menu (copy, save, print, full
// screen), the slide show and the Open and Close Album buttons. None runs
// while an album opens or a picture is read. Those that act on a picture
// act on the whole picture, read from the album first.
#include <charconv>

#include "AlbumPicture.h"
#include "CarriedValue.h"
#include "Format.h"
#include "MainForm.h"
#include "PicturePrint.h"
#include "SlideShowForm.h"
#include "ThumbnailFit.h"
#include "pictures/Clipbrd.h"
#include "pictures/Jpeg.h"

namespace pictoview {

TImage* TForm1::GetTImageofX(int32_t n) const
{
    return dynamic_cast<TImage*>(FindComponent("Image" + IntToStr(n)));
}

TLabel* TForm1::GetTLabelofX(int32_t n) const
{
    return dynamic_cast<TLabel*>(FindComponent("Label" + IntToStr(n)));
}

int32_t TForm1::GetXofTImage(const TImage& image) const
{
    const std::string& name = image.Name();
    int32_t n = 0;
    if (name.size() > 5)
        std::from_chars(name.data() + 5, name.data() + name.size(), n);
    return n;
}

void TForm1::LoadPicture()
{
    if (!CurrentImage || !CurrentImage->Picture().Graphic())
        return;
    const TPanel& panel = *dynamic_cast<TPanel*>(CurrentImage->Parent());
    const TPicture& picture = CurrentImage->Picture();
    CurrentImage->SetBoundsRect(pictoalbum::ThumbnailBounds(picture.Width(), picture.Height(), panel.BevelWidth(),
                                                            panel.ClientWidth(), panel.ClientHeight()));
}

// A locked or damaged picture has no pixels: nothing to copy, save, print
// or show on its own.
bool TForm1::ShowsPicture(const TImage* image) const
{
    return image && image->Picture().Width() > 0 && image->Picture().Height() > 0;
}

std::unique_ptr<TJPEGImage> TForm1::WholePicture(const TImage& image)
{
    const auto* picture = dynamic_cast<const TAlbumPicture*>(image.Picture().Graphic());
    std::unique_ptr<TJPEGImage> whole = picture ? picture->Whole() : nullptr;
    if (!whole)
        throw EInvalidGraphic("The picture's album is closed");
    return whole;
}

std::unique_ptr<TGraphic> TForm1::SlidePicture(const TImage& image)
{
    if (!ShowsPicture(&image))
        return nullptr;
    return WholePicture(image);
}

void TForm1::ImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState, int X, int Y)
{
    if (Button != mbRight || Busy())
        return;
    CurrentImage = dynamic_cast<TImage*>(Sender);
    EnableFrameCommands();
    const TPoint point = CurrentImage->ClientToScreen(TPoint{X, Y});
    PopupMenu1->Popup(point.X, point.Y);
}

// A locked or damaged frame has nothing to copy, save, print or show: its
// commands are greyed rather than doing nothing.
void TForm1::EnableFrameCommands()
{
    const bool shows = ShowsPicture(CurrentImage);
    CopyPicturetoClipboard1->SetEnabled(savingAllowed_ && shows);
    LoadPicture1->SetEnabled(savingAllowed_ && shows);
    PrintPicture1->SetEnabled(savingAllowed_ && shows);
    ShowPicture1->SetEnabled(shows);
}

// The whole picture is read before the window shows it.
void TForm1::FillSlideShow(const TImage& image)
{
    pictoalbum::TForm2& slides = *pictoalbum::Form2;
    slides.Image1->Picture().SetGraphic(SlidePicture(image).get());
    slides.SetWindowState(wsMaximized);
    slides.Panel4->SetCaption(SlideCaption(GetXofTImage(image)));
}

void TForm1::ShowPicture1Click(TObject* Sender)
{
    if (Busy())
        return;
    if (Sender != ShowPicture1)
        CurrentImage = dynamic_cast<TImage*>(Sender);
    if (!ShowsPicture(CurrentImage) || !pictoalbum::Form2)
        return;
    FillSlideShow(*CurrentImage);
    pictoalbum::Form2->ShowOnePicture();
}

// The show starts at picture 1 whatever it holds: a locked or damaged one
// shows blank, and the show steps on from it.
void TForm1::BitBtn2Click(TObject*)
{
    TImage* first = GetTImageofX(1);
    if (Busy() || !first || !pictoalbum::Form2)
        return;
    CurrentImage = first;
    FillSlideShow(*first);
    pictoalbum::Form2->ShowModal();
}

void TForm1::BitBtn4Click(TObject*)
{
    if (Busy() || !OpenDialog1->Execute())
        return;
    AlbumFileName = OpenDialog1->FileName;
    CloseAlbum();
    OpenAlbum();
}

void TForm1::BitBtn1Click(TObject*)
{
    if (!Busy())
        CloseAlbum();
}

void TForm1::CopyPicturetoClipboard1Click(TObject*)
{
    if (!Busy() && ShowsPicture(CurrentImage))
        Clipboard().Assign(*WholePicture(*CurrentImage));
}

// Suggests the file the picture was made from, as the album remembers it.
void TForm1::LoadPicture1Click(TObject*)
{
    if (Busy() || !ShowsPicture(CurrentImage))
        return;
    const TIniFile settings(TempFolder + SettingsFileName);
    SavePictureDialog1->FileName = pictoalbum::ReadCarriedValue(settings, CurrentImage->Name(), "Picture", "");
    if (SavePictureDialog1->Execute())
        WholePicture(*CurrentImage)->SaveToFile(SavePictureDialog1->FileName);
}

void TForm1::PrintPicture1Click(TObject* Sender)
{
    if (Busy())
        return;
    if (Sender != PrintPicture1) {
        if (!pictoalbum::Form2)
            return;
        pictoalbum::TForm2& slides = *pictoalbum::Form2;
        PrintSlide(slides.Image1->Picture().Graphic(), slides.Panel4->Caption());
        return;
    }
    if (ShowsPicture(CurrentImage))
        PrintSlide(WholePicture(*CurrentImage).get(), SlideCaption(GetXofTImage(*CurrentImage)));
}

std::string TForm1::SlideCaption(int32_t n) const
{
    const TLabel* label = GetTLabelofX(n);
    return label ? label->Caption() : "";
}

void TForm1::PrintSlide(const TGraphic* picture, const std::string& caption)
{
    pictoalbum::PrintPicture(picture, caption);
}

} // namespace pictoview
