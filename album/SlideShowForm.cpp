#include "SlideShowForm.h"

#include "ScopeExit.h"
#include "SlideShowGlyphs.h"

namespace pictoalbum {

TForm2* Form2 = nullptr;

TForm2::TForm2(TSlideShowHost& host) : host_(host)
{
    SetName("Form2");
    // A thin border and no title bar.
    SetBorderStyle(bsNone);
    SetPosition(poScreenCenter);
    SetClientWidth(512);
    SetClientHeight(348);

    ScrollBox1 = NewComponent<TScrollBox>(*this);
    ScrollBox1->SetName("ScrollBox1");
    ScrollBox1->SetParent(this);
    ScrollBox1->SetSingleBorder(false);
    Panel2 = NewPanel(ScrollBox1, "Panel2", alNone);
    Image1 = NewComponent<TImage>(*this);
    Image1->SetName("Image1");
    Image1->SetParent(Panel2);
    Image1->SetAlign(alClient);
    Image1->SetStretch(true);

    // Aligned to the bottom in turn: the button bar lowest, the caption
    // bar above it, the picture's scroll box over the rest.
    CreateButtonBar();
    CreateCaptionBar();
    ScrollBox1->SetAlign(alClient);

    Timer1 = NewComponent<TTimer>(*this);
    Timer1->SetName("Timer1");
    Timer1->SetEnabled(false);
    Timer1->SetInterval(10000);
    Timer1->OnTimer = [this](TObject* Sender) { OnTimer(Sender); };

    OnActivate = [this](TObject* Sender) { FormActivate(Sender); };
    TForm::OnDeactivate = [this](TObject* Sender) { OnDeactivate(Sender); };
    // Closed by the system's close too, the window stops its timer and
    // forgets the steps still waiting.
    OnClose = [this](TObject*, TCloseAction&) {
        StopTimer();
        waitingSteps_ = 0;
    };
    ScaleDesign();
}

TPanel* TForm2::NewPanel(TWinControl* parent, const std::string& name, TAlign align)
{
    TPanel* panel = NewComponent<TPanel>(*this);
    panel->SetName(name);
    panel->SetParent(parent);
    panel->SetAlign(align);
    panel->SetBevelOuter(bvNone);
    panel->SetCaption("");
    return panel;
}

TBitBtn* TForm2::NewButton(TWinControl* parent, const std::string& name, const std::string& caption, TRect bounds,
                           const std::string& hint, TNotifyEvent onClick)
{
    TBitBtn* button = NewBitBtn(*this, parent, name, caption, bounds);
    button->SetHint(hint);
    button->SetShowHint(true);
    button->OnClick = std::move(onClick);
    return button;
}

void TForm2::CreateCaptionBar()
{
    Panel4 = NewPanel(this, "Panel4", alBottom);
    Panel4->SetHeight(25);
    Panel4->SetBorderWidth(2);
    Panel4->Font().SetStyle(fsBold);
    Panel6 = NewPanel(Panel4, "Panel6", alRight);
    Panel6->SetWidth(28);
    BitBtn1 = NewButton(Panel6, "BitBtn1", "", Bounds(6, 4, 16, 16), "Close",
                        [this](TObject* Sender) { ExitClick(Sender); });
    BitBtn1->SetGlyph(SlideGlyph(TSlideGlyph::Close));
    // Escape leaves the full-screen show, which has no title bar to close.
    BitBtn1->SetCancel(true);
    BitBtn10 = NewButton(Panel4, "BitBtn10", "", Bounds(5, 5, 16, 16), "Hide TaskBar",
                         [this](TObject* Sender) { BitBtn10Click(Sender); });
    BitBtn10->SetGlyph(SlideGlyph(TSlideGlyph::HideBar));
    BitBtn11 = NewButton(Panel4, "BitBtn11", "", Bounds(5, 5, 16, 16), "Show TaskBar",
                         [this](TObject* Sender) { BitBtn11Click(Sender); });
    BitBtn11->SetGlyph(SlideGlyph(TSlideGlyph::ShowBar));
    BitBtn11->SetVisible(false);
}

void TForm2::CreateButtonBar()
{
    Panel1 = NewPanel(this, "Panel1", alBottom);
    Panel1->SetHeight(21);
    Panel1->SetSingleBorder(true);
    const struct {
        TBitBtn** button;
        const char* name;
        const char* caption;
        int left;
        int width;
        const char* hint;
        TSlideGlyph glyph;
        void (TForm2::*handler)(TObject*);
    } buttons[] = {
        {&BitBtn8, "BitBtn8", "&Previous", 1, 81, "Previous Picture", TSlideGlyph::Previous, &TForm2::PreviousClick},
        {&BitBtn4, "BitBtn4", " &In", 104, 57, "Zoom In", TSlideGlyph::ZoomIn, &TForm2::ZoomInClick},
        {&BitBtn5, "BitBtn5", "&Out", 168, 57, "Zoom Out", TSlideGlyph::ZoomOut, &TForm2::ZoomOutClick},
        {&BitBtn3, "BitBtn3", "&Full", 232, 57, "Fit to Screen", TSlideGlyph::Fit, &TForm2::BitBtn3Click},
        {&BitBtn9, "BitBtn9", "P&rint", 296, 57, "Print Picture", TSlideGlyph::Print, &TForm2::BitBtn9Click},
    };
    for (const auto& b : buttons) {
        *b.button = NewButton(Panel1, b.name, b.caption, Bounds(b.left, 1, b.width, 17), b.hint,
                              [this, handler = b.handler](TObject* Sender) { (this->*handler)(Sender); });
        (*b.button)->SetGlyph(SlideGlyph(b.glyph));
    }

    TrackBar1 = NewComponent<TTrackBar>(*this);
    TrackBar1->SetName("TrackBar1");
    TrackBar1->SetParent(Panel1);
    TrackBar1->SetBounds(360, -8, 206, 25);
    TrackBar1->SetMin(0);
    TrackBar1->SetMax(20);
    TrackBar1->SetPosition(10);
    TrackBar1->SetFrequency(1);
    TrackBar1->SetTickMarks(tmBottomRight);
    TrackBar1->SetCursor(crSizeWE);
    TrackBar1->SetHint("Speed of Slides (0 is off)");
    TrackBar1->SetShowHint(true);
    TrackBar1->OnChange = [this](TObject* Sender) { TrackBarChange(Sender); };

    Panel3 = NewPanel(Panel1, "Panel3", alRight);
    Panel3->SetWidth(87);
    BitBtn7 = NewButton(Panel3, "BitBtn7", "&Next", Bounds(6, 1, 81, 17), "Next Picture",
                        [this](TObject* Sender) { NextClick(Sender); });
    BitBtn7->SetGlyph(SlideGlyph(TSlideGlyph::Next));
    BitBtn7->SetLayout(blGlyphRight);
}

TSlideSize TForm2::PictureSize() const
{
    return {Image1->Picture().Width(), Image1->Picture().Height()};
}

// The area the picture is centred in: what the scroll box's bars leave.
TSlideSize TForm2::ClientSize() const
{
    return {ScrollBox1->ClientWidth(), ScrollBox1->ClientHeight()};
}

// The area a picture is fitted to: a fitted picture needs no scroll bars,
// so those of a zoomed one shown before do not narrow it.
TSlideSize TForm2::WholeArea() const
{
    const TRect whole = ScrollBox1->ClientRectWithoutBars();
    return {whole.Width(), whole.Height()};
}

// A picture without pixels shows blank.
void TForm2::ShowSize(std::optional<TSlideSize> size)
{
    Panel2->SetHeight(size ? size->Height : 0);
    Panel2->SetWidth(size ? size->Width : 0);
}

void TForm2::SizePicture()
{
    ShowSize(zoomFactor_ != 0 ? ZoomedSize(PictureSize(), zoomFactor_) : FittedSize(PictureSize(), WholeArea()));
    CenterPicture();
}

void TForm2::CenterPicture()
{
    // From the top-left corner the panel makes the box show just the bars
    // its size needs, and centred it stays within what they leave.
    Panel2->SetTop(0);
    Panel2->SetLeft(0);
    const TSlidePosition at = CentredPosition({Panel2->Width(), Panel2->Height()}, ClientSize());
    Panel2->SetTop(at.Top);
    Panel2->SetLeft(at.Left);
}

// The factor follows the displayed height, even when a limit kept it.
void TForm2::Zoom(std::optional<TSlideSize> size)
{
    if (!size)
        return;
    ShowSize(size);
    zoomFactor_ = static_cast<double>(Panel2->Height()) / PictureSize().Height;
    CenterPicture();
}

void TForm2::ZoomInClick(TObject*)
{
    Zoom(ZoomedIn({Panel2->Width(), Panel2->Height()}, PictureSize()));
}

void TForm2::ZoomOutClick(TObject*)
{
    Zoom(ZoomedOut({Panel2->Width(), Panel2->Height()}, PictureSize()));
}

void TForm2::BitBtn3Click(TObject*)
{
    zoomFactor_ = 0;
    SizePicture();
}

// The shown picture, its caption and the current image change together,
// once the new picture is at hand.
void TForm2::ShowPictureNumber(int32_t n)
{
    TImage* image = host_.GetTImageofX(n);
    const std::unique_ptr<TGraphic> picture = host_.SlidePicture(*image);
    host_.SetSlideCurrentImage(image);
    Image1->Picture().SetGraphic(picture.get());
    Panel4->SetCaption(host_.SlideCaption(n));
    SizePicture();
}

// Getting a step's picture may process waiting messages: a click handled
// meanwhile waits for that step, so the picture it is getting is never
// replaced under it, and the steps that waited are then taken together.
void TForm2::Step(int32_t steps)
{
    waitingSteps_ += steps;
    if (stepping_)
        return;
    stepping_ = true;
    const TScopeExit done([this] {
        stepping_ = false;
        waitingSteps_ = 0;
    });
    while (waitingSteps_ != 0) {
        const int32_t count = host_.SlidePictureCount();
        int32_t n = host_.GetXofTImage(*host_.SlideCurrentImage());
        for (; waitingSteps_ > 0; --waitingSteps_)
            n = n >= count || n < 1 ? 1 : n + 1;
        for (; waitingSteps_ < 0; ++waitingSteps_)
            n = n <= 1 || n > count ? count : n - 1;
        ShowPictureNumber(n);
    }
}

void TForm2::PreviousClick(TObject*)
{
    Step(-1);
}

void TForm2::NextClick(TObject*)
{
    Step(1);
}

// A tick while a step gets its picture is that step's advance.
void TForm2::OnTimer(TObject* Sender)
{
    if (!stepping_)
        NextClick(Sender);
}

void TForm2::ShowSpeedHint()
{
    TrackBar1->SetHint("Slide Speed = " + std::to_string(TrackBar1->Position()) + " (0 is off)");
}

// 0 is off: a timer with no interval never fires.
void TForm2::TrackBarChange(TObject*)
{
    ShowSpeedHint();
    Timer1->SetInterval(TrackBar1->Position() * 1000);
}

// Every showing starts fitted, with the button bar hidden, the timer at the
// track bar's speed.
void TForm2::FormActivate(TObject*)
{
    zoomFactor_ = 0;
    BitBtn10Click(nullptr);
    BitBtn3Click(nullptr);
    Timer1->SetEnabled(true);
    ShowSpeedHint();
}

void TForm2::OnDeactivate(TObject*)
{
    StopTimer();
}

void TForm2::StopTimer()
{
    Timer1->SetEnabled(false);
}

void TForm2::BitBtn10Click(TObject*)
{
    Panel1->SetVisible(false);
    BitBtn11->SetVisible(true);
    BitBtn10->SetVisible(false);
    SizePicture();
}

void TForm2::BitBtn11Click(TObject*)
{
    Panel1->SetVisible(true);
    BitBtn11->SetVisible(false);
    BitBtn10->SetVisible(true);
    SizePicture();
}

void TForm2::ShowOnePicture()
{
    const int speed = TrackBar1->Position();
    TrackBar1->SetPosition(0);
    const TScopeExit restoreSpeed([this, speed] { TrackBar1->SetPosition(speed); });
    ShowModal();
}

void TForm2::ExitClick(TObject*)
{
    Close();
}

void TForm2::BitBtn9Click(TObject*)
{
    host_.PrintSlide(Image1->Picture().Graphic(), Panel4->Caption());
}

} // namespace pictoalbum
