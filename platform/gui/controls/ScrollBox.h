// TScrollBox: a control area larger than its window, scrolled by its bars.
// Children are placed in the visible area's coordinates, so a child placed
// at Top t while the box is scrolled down by V sits at t + V in the
// scrolled content. The scroll range follows the children (their farthest
// right and bottom edges) unless DisableAutoRange holds it, and the bars
// show or go at once, so the client area is final as soon as a child is
// placed. A control in it that takes the keyboard focus is scrolled into
// view.
#pragma once

#include <QScrollArea>
#include <QScrollBar>

#include "controls/Controls.h"

class TControlScrollBar {
public:
    explicit TControlScrollBar(QScrollBar& bar) : bar_(bar) {}

    int Position() const { return bar_.value(); }
    void SetPosition(int position) { bar_.setValue(position); }
    // The scrolled extent: content size beyond the visible part.
    int Range() const { return bar_.maximum() + bar_.pageStep(); }
    bool Tracking() const { return bar_.hasTracking(); }
    void SetTracking(bool tracking) { bar_.setTracking(tracking); }

private:
    QScrollBar& bar_;
};

class TScrollBox : public TWinControl {
public:
    TScrollBox();
    ~TScrollBox() override;
    std::string ClassName() const override { return "TScrollBox"; }

    // bsNone: no frame; bsSingle (the default): a sunken frame.
    bool SingleBorder() const;
    void SetSingleBorder(bool single);
    TControlScrollBar& VertScrollBar() { return vertical_; }
    TControlScrollBar& HorzScrollBar() { return horizontal_; }
    void SetVertScrollBarVisible(bool visible);
    void SetHorzScrollBarVisible(bool visible);

    // The client area as it is while no scroll bar shows: all the room a
    // child gets that does not reach beyond it.
    TRect ClientRectWithoutBars() const;

    // Calls pair up and may nest; the last EnableAutoRange recalculates.
    void DisableAutoRange() { ++autoRangeHeld_; }
    void EnableAutoRange();

    QWidget* ChildHost() const override { return content_; }
    QWidget* ClientArea() const override;
    TPoint ScrollOffset() const override;
    TRect AlignRect() const override;

protected:
    void ChildrenChanged() override;
    void Resized() override;

private:
    void CalcAutoRange();
    QSize Room() const;
    void ScrollInView(const QWidget& widget);

    QScrollArea* area_;
    QWidget* content_;
    TControlScrollBar vertical_;
    TControlScrollBar horizontal_;
    int autoRangeHeld_ = 0;
    QMetaObject::Connection focusWatch_;
};
