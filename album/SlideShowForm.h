// TForm2: the slide-show window of both programs. Shown modally and
// maximised without a title bar, it shows one picture fitted to the window
// or zoomed, with its caption in a bar below it; steps to the previous and
// next picture with wrap-around; advances on a timer whose period the track
// bar sets in seconds (0 is off); hides and shows its button bar; and prints
// the picture with its caption. It works through its program's main window
// (TSlideShowHost), which fills Image1 and Panel4 before showing it.
#pragma once

#include <optional>

#include "SlideShowGeometry.h"
#include "SlideShowHost.h"
#include "components/Timers.h"
#include "controls/Buttons.h"
#include "controls/ExtCtrls.h"
#include "controls/Forms.h"
#include "controls/Image.h"
#include "controls/ScrollBox.h"
#include "controls/TrackBar.h"

namespace pictoalbum {

class TForm2 : public TForm {
public:
    explicit TForm2(TSlideShowHost& host);
    std::string ClassName() const override { return "TForm2"; }

    TScrollBox* ScrollBox1 = nullptr;
    TPanel* Panel2 = nullptr;
    TImage* Image1 = nullptr;
    TPanel* Panel4 = nullptr;
    TPanel* Panel6 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn10 = nullptr;
    TBitBtn* BitBtn11 = nullptr;
    TPanel* Panel1 = nullptr;
    TBitBtn* BitBtn8 = nullptr;
    TBitBtn* BitBtn4 = nullptr;
    TBitBtn* BitBtn5 = nullptr;
    TBitBtn* BitBtn3 = nullptr;
    TBitBtn* BitBtn9 = nullptr;
    TTrackBar* TrackBar1 = nullptr;
    TPanel* Panel3 = nullptr;
    TBitBtn* BitBtn7 = nullptr;
    TTimer* Timer1 = nullptr;

    // 0: fitted to the window; otherwise the displayed size over the
    // picture's own.
    double ZoomFactor() const { return zoomFactor_; }

    // Shows the one picture the host has filled in, without automatic
    // advance; the user's speed comes back after.
    void ShowOnePicture();

    void ZoomInClick(TObject* Sender);
    void ZoomOutClick(TObject* Sender);
    void BitBtn3Click(TObject* Sender);
    void SizePicture();
    void CenterPicture();
    void PreviousClick(TObject* Sender);
    void NextClick(TObject* Sender);
    void OnTimer(TObject* Sender);
    void TrackBarChange(TObject* Sender);
    void FormActivate(TObject* Sender);
    void OnDeactivate(TObject* Sender);
    void BitBtn10Click(TObject* Sender);
    void BitBtn11Click(TObject* Sender);
    void ExitClick(TObject* Sender);
    void BitBtn9Click(TObject* Sender);

private:
    void CreateCaptionBar();
    void CreateButtonBar();
    TPanel* NewPanel(TWinControl* parent, const std::string& name, TAlign align);
    TBitBtn* NewButton(TWinControl* parent, const std::string& name, const std::string& caption, TRect bounds,
                       const std::string& hint, TNotifyEvent onClick);
    TSlideSize PictureSize() const;
    TSlideSize ClientSize() const;
    TSlideSize WholeArea() const;
    void ShowSize(std::optional<TSlideSize> size);
    void Zoom(std::optional<TSlideSize> size);
    void Step(int32_t steps);
    void ShowPictureNumber(int32_t n);
    void ShowSpeedHint();
    void StopTimer();

    TSlideShowHost& host_;
    double zoomFactor_ = 0;
    // A step is getting its picture; the steps asked for meanwhile (Next
    // +1, Previous -1) wait for it.
    bool stepping_ = false;
    int32_t waitingSteps_ = 0;
};

extern TForm2* Form2;

} // namespace pictoalbum
