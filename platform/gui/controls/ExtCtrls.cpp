#include "controls/ExtCtrls.h"

#include <algorithm>
#include <memory>

#include <QPainter>
#include <QWidget>

#include "controls/PaintedWidget.h"
#include "dispatch/GuardedDispatch.h"

namespace {

Qt::Alignment HorizontalAlignment(TAlignment alignment)
{
    if (alignment == taCenter)
        return Qt::AlignHCenter;
    return alignment == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
}

// One bevel, BevelWidth lines deep: light above and left when raised,
// dark when lowered; area shrinks by its depth.
void DrawBevel(QPainter& painter, QRect& area, TBevelCut cut, int width)
{
    if (cut == bvNone)
        return;
    QColor light = ColorToQColor(clBtnHighlight);
    QColor dark = ColorToQColor(clBtnShadow);
    if (cut == bvLowered)
        std::swap(light, dark);
    for (int i = 0; i < width; ++i) {
        if (cut != bvSpace) {
            painter.setPen(light);
            painter.drawLine(area.topLeft(), area.topRight());
            painter.drawLine(area.topLeft(), area.bottomLeft());
            painter.setPen(dark);
            painter.drawLine(area.bottomLeft(), area.bottomRight());
            painter.drawLine(area.topRight(), area.bottomRight());
        }
        area.adjust(1, 1, -1, -1);
    }
}

} // namespace

TPanel::TPanel() : TWinControl(std::make_unique<TPaintedWidget>(), false)
{
    Painted(Widget()).Drawing = [this](QPainter& painter) {
        QRect area = Widget()->rect();
        painter.fillRect(area, ColorToQColor(Color()));
        if (singleBorder_) {
            painter.setPen(Qt::black);
            painter.drawRect(area.adjusted(0, 0, -1, -1));
            area.adjust(1, 1, -1, -1);
        }
        DrawBevel(painter, area, bevelOuter_, bevelWidth_);
        area.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
        DrawBevel(painter, area, bevelInner_, bevelWidth_);
        painter.setPen(ColorToQColor(Font().Color()));
        painter.drawText(area, HorizontalAlignment(alignment_) | Qt::AlignVCenter, QString::fromStdString(caption_));
    };
}

void TPanel::SetCaption(const std::string& caption)
{
    caption_ = caption;
    Changed();
}

void TPanel::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    Changed();
}

void TPanel::SetBevelOuter(TBevelCut bevel)
{
    bevelOuter_ = bevel;
    Changed();
}

void TPanel::SetBevelInner(TBevelCut bevel)
{
    bevelInner_ = bevel;
    Changed();
}

void TPanel::SetBevelWidth(int width)
{
    bevelWidth_ = width;
    Changed();
}

void TPanel::SetBorderWidth(int width)
{
    borderWidth_ = width;
    Changed();
}

void TPanel::SetSingleBorder(bool single)
{
    singleBorder_ = single;
    Changed();
}

void TPanel::Changed()
{
    Widget()->update();
    Realign();
}

TRect TPanel::AlignRect() const
{
    int inset = borderWidth_ + (singleBorder_ ? 1 : 0);
    if (bevelOuter_ != bvNone)
        inset += bevelWidth_;
    if (bevelInner_ != bvNone)
        inset += bevelWidth_;
    return TRect{inset, inset, ClientWidth() - inset, ClientHeight() - inset};
}

TShape::TShape() : TGraphicControl(std::make_unique<TPaintedWidget>(), false)
{
    Painted(Widget()).Drawing = [this](QPainter& painter) {
        int inset = penWidth_ / 2;
        QRect area = Widget()->rect().adjusted(inset, inset, -inset - 1, -inset - 1);
        if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
            int side = std::min(area.width(), area.height());
            area = QRect(area.left() + (area.width() - side) / 2, area.top() + (area.height() - side) / 2, side, side);
        }
        painter.setPen(QPen(ColorToQColor(penColor_), penWidth_));
        painter.setBrush(brushClear_ ? QBrush(Qt::NoBrush) : QBrush(ColorToQColor(brushColor_)));
        if (shape_ == stEllipse || shape_ == stCircle)
            painter.drawEllipse(area);
        else if (shape_ == stRoundRect || shape_ == stRoundSquare)
            painter.drawRoundedRect(area, area.width() / 8.0, area.height() / 8.0);
        else
            painter.drawRect(area);
    };
}

void TShape::SetShape(TShapeType shape)
{
    shape_ = shape;
    Widget()->update();
}

void TShape::SetPenColor(TColor color)
{
    penColor_ = color;
    Widget()->update();
}

void TShape::SetPenWidth(int width)
{
    penWidth_ = width;
    Widget()->update();
}

void TShape::SetBrushColor(TColor color)
{
    brushColor_ = color;
    Widget()->update();
}

void TShape::SetBrushClear(bool clear)
{
    brushClear_ = clear;
    Widget()->update();
}
