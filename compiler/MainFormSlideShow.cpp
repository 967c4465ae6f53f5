// The main window and its slide-show window: showing one picture or the
// whole album, and what the window asks of the main window.
#include "Format.h"
#include "MainForm.h"
#include "PicturePrint.h"
#include "SlideShowForm.h"

namespace pictomake {

namespace {

// The slide-show window set to show image with its caption, maximised.
pictoalbum::TForm2& SlidesShowing(const TImage& image, const std::string& caption)
{
    pictoalbum::TForm2& slides = *pictoalbum::Form2;
    slides.Image1->Picture().Assign(image.Picture());
    slides.SetWindowState(wsMaximized);
    slides.Panel4->SetCaption(caption);
    return slides;
}

// A picture without pixels (one a project could not load) has nothing to
// show, and the window's fit would divide by its size.
bool HasPixels(const TImage& image)
{
    return image.Picture().Width() > 0 && image.Picture().Height() > 0;
}

} // namespace

void TForm1::ShowPicture(TObject* Sender)
{
    if (Sender != ShowPicture1)
        CurrentImage = PressedImage(Sender);
    if (!CurrentImage)
        return;
    SelectCurrent(0, 0);
    if (!HasPixels(*CurrentImage))
        return;
    SlidesShowing(*CurrentImage, SlideCaption(GetXofTImage(*CurrentImage))).ShowOnePicture();
}

void TForm1::BitBtn2Click(TObject*)
{
    TImage* first = GetTImageofX(1);
    if (!first || !HasPixels(*first))
        return;
    CurrentImage = first;
    SlidesShowing(*first, SlideCaption(1)).ShowModal();
}

std::string TForm1::SlideCaption(int32_t n) const
{
    return dynamic_cast<TEdit&>(*FindComponent("Edit" + IntToStr(n))).Text();
}

void TForm1::PrintSlide(const TGraphic* picture, const std::string& caption)
{
    pictoalbum::PrintPicture(picture, caption);
}

} // namespace pictomake
