// TPanel (a bevelled box that holds controls and may show a caption) and
// TShape (a drawn rectangle or ellipse). TTimer, which the class library
// keeps in this unit too, lives in Timers.h.
#pragma once

#include <string>

#include "components/Timers.h"
#include "controls/Controls.h"

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
