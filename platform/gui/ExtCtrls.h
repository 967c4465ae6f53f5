// TPanel (a bevelled box that holds controls and may show a caption),
// TShape (a drawn rectangle or ellipse) and TTimer (OnTimer every Interval
// milliseconds while Enabled; Interval 0 never fires).
#pragma once

#include <memory>
#include <string>

#include <QTimer>

#include "Controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TWinControl {
public:
    TPanel();
    std::string ClassName() const override { return "TPanel"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut bevel);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut bevel);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    // bsSingle draws a one-pixel frame around the bevels.
    bool SingleBorder() const { return singleBorder_; }
    void SetSingleBorder(bool single);

    // Aligned children stay inside the bevels and the border.
    TRect AlignRect() const override;

private:
    void Changed();

    std::string caption_;
    TAlignment alignment_ = taCenter;
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    bool singleBorder_ = false;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
    TShape();
    std::string ClassName() const override { return "TShape"; }

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType shape);
    TColor PenColor() const { return penColor_; }
    void SetPenColor(TColor color);
    int PenWidth() const { return penWidth_; }
    void SetPenWidth(int width);
    TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(TColor color);
    // A clear brush draws only the outline.
    bool BrushClear() const { return brushClear_; }
    void SetBrushClear(bool clear);

protected:
    void ApplyColor() override {}

private:

    TShapeType shape_ = stRectangle;
    TColor penColor_ = clBlack;
    int penWidth_ = 1;
    TColor brushColor_ = clWhite;
    bool brushClear_ = false;
};

class TTimer : public TComponent {
public:
    TTimer();
    std::string ClassName() const override { return "TTimer"; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned milliseconds);

    // One tick: fires OnTimer guarded, as the running timer does.
    void Timer();
    TNotifyEvent OnTimer;

private:
    void Update();

    std::unique_ptr<QTimer> timer_;
    bool enabled_ = true;
    unsigned interval_ = 1000;
};
