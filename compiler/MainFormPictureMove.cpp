// Moving a picture to another place in the grid: the pictures in between
// shift by one toward the place it left, each taking its caption, protect
// mark, source and selection along.
#include "Format.h"
#include "HeldPicture.h"
#include "MainForm.h"

namespace pictomake {

TForm1::TPictUnitContent TForm1::UnitContent(int32_t n) const
{
    const TImage& image = *GetTImageofX(n);
    const std::string number = IntToStr(n);
    TPictUnitContent content;
    if (image.Picture().Graphic())
        content.Graphic = image.Picture().Graphic()->Clone();
    content.Source = PictureSources.at(n - 1);
    content.Caption = dynamic_cast<TEdit&>(*FindComponent("Edit" + number)).Text();
    content.Checked = dynamic_cast<TCheckBox&>(*FindComponent("CheckBox" + number)).Checked();
    content.Color = GetTPanelofX(n)->Color();
    return content;
}

void TForm1::SetUnitContent(int32_t n, const TPictUnitContent& content)
{
    const std::string number = IntToStr(n);
    GetTImageofX(n)->Picture().SetGraphic(content.Graphic.get());
    PictureSources.at(n - 1) = content.Source;
    dynamic_cast<TEdit&>(*FindComponent("Edit" + number)).SetText(content.Caption);
    dynamic_cast<TCheckBox&>(*FindComponent("CheckBox" + number)).SetChecked(content.Checked);
    GetTPanelofX(n)->SetColor(content.Color);
    const THeldPicture* held = AsHeldPicture(content.Graphic.get());
    ShowPictureUnitState(n, held && held->Reason() == THeldPicture::TReason::Locked);
}

// Only pictures take a dropped picture.
void TForm1::ImageDragOver(TObject*, TObject* Source, int, int, TDragState, bool& Accept)
{
    Accept = dynamic_cast<TImage*>(Source) != nullptr;
}

void TForm1::ImageDragDrop(TObject* Sender, TObject* Source, int, int)
{
    const int32_t t = GetXofTImage(dynamic_cast<TImage&>(*Sender));
    const int32_t s = GetXofTImage(dynamic_cast<TImage&>(*Source));
    if (s == t)
        return;
    const TPictUnitContent kept = UnitContent(s);
    const int32_t towardTarget = t > s ? 1 : -1;
    for (int32_t k = s; k != t; k += towardTarget) {
        SetUnitContent(k, UnitContent(k + towardTarget));
        CurrentImage = GetTImageofX(k);
        LoadPicture();
    }
    SetUnitContent(t, kept);
    CurrentImage = GetTImageofX(t);
    LoadPicture();
    Modified = true;
}

} // namespace pictomake
