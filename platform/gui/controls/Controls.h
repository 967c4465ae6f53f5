// TControl and TWinControl: components that show on the screen, each over
// one Qt widget of its own. Positions are absolute pixels in the parent's
// client area (a scroll box's client area is its visible part, so a child's
// Top moves as the box scrolls). A control is owned by its owner component;
// its parent holds it only in the widget tree: freeing a parent takes its
// children out of the tree, and their owner still frees them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "components/Component.h"
#include "screen/Colors.h"
#include "screen/Fonts.h"
#include "screen/Geometry.h"
#include "screen/Screen.h"

class TWinControl;
class TControlEventFilter;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
using TShiftState = unsigned;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

// dsDragEnter: the drag came over the control; dsDragMove: it moved on it.
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// Sender: the control under the mouse; Source: the dragged control; X, Y in
// Sender's client area. Accept starts false.
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;

class TControl : public TComponent {
public:
    ~TControl() override;
    std::string ClassName() const override { return "TControl"; }

    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int left);
    void SetTop(int top);
    void SetWidth(int width);
    void SetHeight(int height);
    void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const;
    void SetBoundsRect(const TRect& rect);
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientWidth(int width);
    void SetClientHeight(int height);
    TPoint ClientToScreen(TPoint point) const;

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const;
    void SetEnabled(bool enabled);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    // Draws the control now rather than at the next event loop turn.
    void Repaint();

    // What a click does: fires OnClick (buttons first set their form's
    // ModalResult). Called directly, an exception reaches the caller.
    virtual void Click();
    virtual void DblClick();
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);

    // Drags this control over the program's controls: at once when
    // immediate (the next click drops it), else once the mouse has moved by
    // threshold pixels while the button is down (a release before that is
    // an ordinary click). The drop, at the button's release, goes to the
    // OnDragDrop of the control under the mouse when its OnDragOver accepts;
    // Escape cancels. One drag at a time: a new one ends the old.
    void BeginDrag(bool immediate, int threshold);
    // From BeginDrag until the drag ends.
    bool Dragging() const;

    // The control shown at the screen point, or none.
    static TControl* ControlAt(TPoint screenPoint);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;

    QWidget* Widget() const { return widget_; }
    // The widget whose area is the control's client area.
    virtual QWidget* ClientArea() const { return widget_; }
    // Takes the parent's font again, and keeps it while it changes.
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);

protected:
    // Takes the widget the subclass made. Mouse presses, releases and double
    // clicks on it become OnMouseDown, OnClick and OnDblClick; with
    // ownMouse the widget keeps its own mouse handling too (edits, buttons).
    TControl(std::unique_ptr<QWidget> widget, bool ownMouse);

    virtual void ApplyColor();
    virtual void ApplyFont();
    // Takes the control from its design at 96 pixels per inch to ppi: its
    // own font, and its place and size as far as its alignment leaves them
    // to it (TForm::ScaleDesign).
    virtual void ChangeScale(int ppi);
    // A control that sizes itself to its content (an auto-sized label) is
    // only moved when scaled; its font gives the size.
    virtual bool SizesItself() const { return false; }
    // The client area changed size.
    virtual void Resized() {}
    // Visible changed; a child shows or hides in its parent.
    virtual void VisibilityChanged();

private:
    friend class TControlEventFilter;
    friend class TWinControl;

    void PlaceWidget(int left, int top, int width, int height);
    void ReleaseWidget();
    void DetachFromParent();
    void FontChanged();
    void InheritFont();
    TPoint ParentOffset() const;

    QPointer<QWidget> widget_;
    QPointer<TControlEventFilter> filter_;
    TWinControl* parent_ = nullptr;
    bool visible_ = true;
    TAlign align_ = alNone;
    TColor color_ = clBtnFace;
    TFont font_;
    std::string hint_;
    bool showHint_ = false;
    TCursor cursor_ = crDefault;
    bool parentFont_ = true;
    bool inheritingFont_ = false;
};

// Controls that are shown without a window of their own on Windows; here
// they are widgets like the rest, so the distinction is only in the type.
class TGraphicControl : public TControl {
public:
    std::string ClassName() const override { return "TGraphicControl"; }

protected:
    using TControl::TControl;
};

class TWinControl : public TControl {
public:
    ~TWinControl() override;
    std::string ClassName() const override { return "TWinControl"; }

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(index); }

    // Gives this control the keyboard focus.
    void SetFocus();
    bool Focused() const;

    // The widget that holds the children.
    virtual QWidget* ChildHost() const { return Widget(); }
    // Where a child at client position 0,0 sits in ChildHost: the
    // scrolled-away part of a scroll box, else nothing.
    virtual TPoint ScrollOffset() const { return {}; }
    // The area aligned children share, in client coordinates.
    virtual TRect AlignRect() const;
    // Lays out the aligned children: tops, bottoms, lefts, rights, then the
    // one that fills the rest, each group in the order they were parented.
    void Realign();

protected:
    using TControl::TControl;
    // A child was placed, shown, hidden, added or removed.
    virtual void ChildrenChanged();
    void Resized() override { Realign(); }
    void ChangeScale(int ppi) override;
    void ScaleChildren(int ppi);

private:
    friend class TControl;
    void Insert(TControl* control);
    void Remove(TControl* control);

    std::vector<TControl*> controls_;
    bool realigning_ = false;
};
