// The main window's picture grid: picture units built from the grid's
// geometry, found by name on every use, and the selection held in the
// panels' colours.
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>

#include "Format.h"
#include "files/IniFiles.h"
#include "PictureGrid.h"
#include "MainForm.h"
#include "ThumbnailFit.h"

namespace pictomake {

namespace {

// The picture number in a unit component's name after its prefix.
int32_t NumberAfter(const std::string& name, size_t prefixLength)
{
    int32_t n = 0;
    if (name.size() > prefixLength)
        std::from_chars(name.data() + prefixLength, name.data() + name.size(), n);
    return n;
}

} // namespace

void TForm1::CreatePictUnit(int32_t n)
{
    std::unique_ptr<TIniFile> project;
    if (ProjectFileName != UntitledProject)
        project = std::make_unique<TIniFile>(ProjectFileName);
    const std::string number = IntToStr(n);
    const int ppi = PixelsPerInch();
    const TPictUnitPlace place = PictUnitPlace(n, ppi, ScrollBox1->VertScrollBar().Position());
    ScrollBox1->DisableAutoRange();

    TPanel* panel = NewComponent<TPanel>(*this);
    panel->SetParent(ScrollBox1);
    panel->SetBevelOuter(bvLowered);
    panel->SetBoundsRect(place.Panel);
    panel->SetName("Panel" + number);
    panel->SetCaption("");
    panel->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
        ImageMouseDown(Sender, Button, Shift, X, Y);
    };
    panel->OnDblClick = [this](TObject* Sender) { ShowPicture(Sender); };

    TImage* image = NewComponent<TImage>(*this);
    image->SetParent(GetTPanelofX(n));
    image->SetBounds(ScaleByPPI(1, ppi), ScaleByPPI(1, ppi), panel->ClientWidth(), panel->ClientHeight());
    image->SetName("Image" + number);
    image->SetStretch(true);
    image->OnMouseDown = panel->OnMouseDown;
    image->OnDblClick = panel->OnDblClick;
    image->OnDragOver = [this](TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept) {
        ImageDragOver(Sender, Source, X, Y, State, Accept);
    };
    image->OnDragDrop = [this](TObject* Sender, TObject* Source, int X, int Y) {
        ImageDragDrop(Sender, Source, X, Y);
    };

    TEdit* edit = NewComponent<TEdit>(*this);
    edit->SetParent(ScrollBox1);
    edit->SetText(ProjectFileName == UntitledProject ? "Put Caption Here" : "");
    // A new edit's and check box's heights are the Windows ones at 96 pixels per inch.
    edit->SetBounds(panel->Left(), place.EditTop, panel->ClientWidth(), ScaleByPPI(edit->Height(), ppi));
    edit->SetName("Edit" + number);
    edit->OnChange = [this](TObject* Sender) { EditChange(Sender); };

    TCheckBox* checkBox = NewComponent<TCheckBox>(*this);
    checkBox->SetParent(ScrollBox1);
    checkBox->SetName("CheckBox" + number);
    checkBox->SetCaption("Password Protect");
    checkBox->SetBounds(panel->Left(), place.CheckBoxTop, panel->ClientWidth(), ScaleByPPI(checkBox->Height(), ppi));
    checkBox->SetChecked(project && project->ReadBool("Image" + number, "Encrypt", false));
    // Bound once checked, so building a unit does not mark the album changed.
    checkBox->OnClick = [this](TObject* Sender) { CheckBoxClick(Sender); };

    ScrollBox1->EnableAutoRange();
}

TImage* TForm1::GetTImageofX(int32_t n) const
{
    return dynamic_cast<TImage*>(FindComponent("Image" + IntToStr(n)));
}

TPanel* TForm1::GetTPanelofX(int32_t n) const
{
    return dynamic_cast<TPanel*>(FindComponent("Panel" + IntToStr(n)));
}

int32_t TForm1::GetXofTImage(const TImage& image) const
{
    return NumberAfter(image.Name(), 5);
}

int32_t TForm1::GetXofTPanel(const TPanel& panel) const
{
    return NumberAfter(panel.Name(), 5);
}

void TForm1::LoadPicture()
{
    const TPanel& panel = *dynamic_cast<TPanel*>(CurrentImage->Parent());
    const TPicture& picture = CurrentImage->Picture();
    CurrentImage->SetBoundsRect(pictoalbum::ThumbnailBounds(picture.Width(), picture.Height(), panel.BevelWidth(),
                                                panel.ClientWidth(), panel.ClientHeight()));
}

TColor TForm1::GetHighlightColor() const
{
    return HighlightColorOf(ColorToRGB(clBtnHighlight), ColorToRGB(clBtnFace));
}

void TForm1::SelectCurrent(uint8_t mode, int32_t anchor)
{
    const int32_t c = GetXofTImage(*CurrentImage);
    const TColor highlight = GetHighlightColor();
    if (mode == 0) {
        for (int32_t n = 1; n <= PictureCount; ++n)
            GetTPanelofX(n)->SetColor(clBtnFace);
    } else if (mode == 1 && c != anchor) {
        for (int32_t n = std::min(c, anchor); n <= std::max(c, anchor); ++n)
            GetTPanelofX(n)->SetColor(highlight);
    }
    GetTPanelofX(c)->SetColor(highlight);
    dynamic_cast<TEdit*>(FindComponent("Edit" + IntToStr(c)))->SetFocus();
}

TImage* TForm1::PressedImage(TObject* Sender) const
{
    if (auto* image = dynamic_cast<TImage*>(Sender))
        return image;
    return GetTImageofX(GetXofTPanel(dynamic_cast<TPanel&>(*Sender)));
}

void TForm1::ImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    // The second press of a double click belongs to the double click.
    if (Shift & ssDouble)
        return;
    TImage* pressed = PressedImage(Sender);
    const int32_t anchor = GetXofTImage(CurrentImage ? *CurrentImage : *pressed);
    CurrentImage = pressed;
    const int32_t c = GetXofTImage(*CurrentImage);
    if (Shift & ssShift)
        SelectCurrent(1, anchor);
    else if (Shift & ssCtrl)
        SelectCurrent(2, 0);
    else if (Button == mbRight && GetTPanelofX(c)->Color() == GetHighlightColor())
        SelectCurrent(2, 0); // the menu's commands act on the whole selection
    else
        SelectCurrent(0, 0);
    if (Button == mbRight) {
        ImageName1->SetCaption(std::filesystem::path(PictureSources.at(c - 1)).filename().string());
        const TPoint at = dynamic_cast<TControl&>(*Sender).ClientToScreen({X, Y});
        PopupMenu1->Popup(at.X, at.Y);
    } else {
        CurrentImage->BeginDrag(false, 1); // a drop on another picture moves it there
    }
}

void TForm1::ClosePicture1Click(TObject*)
{
    const TColor highlight = GetHighlightColor();
    int32_t n = 1;
    while (n <= PictureCount) {
        if (GetTPanelofX(n)->Color() == highlight)
            RemovePicture(n); // the picture now at n is looked at next
        else
            ++n;
    }
    // Nothing may point at a freed image: with no pictures left there is no
    // current one.
    CurrentImage = PictureCount > 0 ? GetTImageofX(1) : nullptr;
    if (CurrentImage)
        SelectCurrent(0, 0);
}

// Picture n goes: moved to the last place, it leaves with the last unit.
void TForm1::RemovePicture(int32_t n)
{
    const int32_t last = PictureCount;
    ImageDragDrop(GetTImageofX(last), GetTImageofX(n), 0, 0);
    if (CurrentImage == GetTImageofX(last))
        CurrentImage = nullptr;
    const std::string number = IntToStr(last);
    for (const char* prefix : {"CheckBox", "Edit", "Image", "Panel"})
        FindComponent(prefix + number)->Free();
    if (PictureSources.size() >= static_cast<size_t>(last))
        PictureSources.erase(PictureSources.begin() + (last - 1));
    Modified = true;
    PictureCount = last - 1;
}

} // namespace pictomake
