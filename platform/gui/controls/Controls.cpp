#include "controls/Controls.h"

#include <algorithm>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>

#include "controls/DragDrop.h"
#include "dispatch/GuardedDispatch.h"

namespace {

// Where the last mouse press on a control was, on the screen.
QPoint lastPress;

} // namespace

// Turns the Qt events of one control's widget into the control's events,
// each dispatched guarded. It lives as long as the widget (a Qt child of it)
// and forgets the control when the control goes, so a handler may free the
// control it was called for: the widget then goes once its event is over.
class TControlEventFilter : public QObject {
public:
    TControlEventFilter(TControl& control, bool ownMouse)
        : QObject(control.Widget()), control_(&control), ownMouse_(ownMouse)
    {
    }

    void Forget() { control_ = nullptr; }
    TControl* Control() const { return control_; }
    bool Dispatching() const { return depth_ > 0; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!control_ || watched != control_->Widget())
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress: return ButtonPressed(static_cast<QMouseEvent&>(*event), 0);
        case QEvent::MouseButtonDblClick: return ButtonPressed(static_cast<QMouseEvent&>(*event), ssDouble);
        case QEvent::MouseButtonRelease: return ButtonReleased(static_cast<QMouseEvent&>(*event));
        case QEvent::Resize: Dispatch([this] { control_->Resized(); }); return false;
        default: return false;
        }
    }

private:
    static TMouseButton ButtonOf(Qt::MouseButton button)
    {
        if (button == Qt::RightButton)
            return mbRight;
        if (button == Qt::MiddleButton)
            return mbMiddle;
        return mbLeft;
    }

    static TShiftState ShiftOf(const QMouseEvent& event)
    {
        TShiftState shift = 0;
        Qt::KeyboardModifiers keys = event.modifiers();
        if (keys & Qt::ShiftModifier)
            shift |= ssShift;
        if (keys & Qt::ControlModifier)
            shift |= ssCtrl;
        if (keys & Qt::AltModifier)
            shift |= ssAlt;
        Qt::MouseButtons buttons = event.buttons() | event.button();
        if (buttons & Qt::LeftButton)
            shift |= ssLeft;
        if (buttons & Qt::RightButton)
            shift |= ssRight;
        if (buttons & Qt::MiddleButton)
            shift |= ssMiddle;
        return shift;
    }

    // The second press of a double click reports the double click first,
    // then the press with ssDouble, as on Windows.
    bool ButtonPressed(const QMouseEvent& event, TShiftState extra)
    {
        TMouseButton button = ButtonOf(event.button());
        TShiftState shift = ShiftOf(event) | extra;
        QPoint at = event.position().toPoint();
        lastPress = event.globalPosition().toPoint();
        pressed_ = !ownMouse_ && button == mbLeft;
        if (extra & ssDouble)
            Dispatch([this] { control_->DblClick(); });
        Dispatch([&] { control_->MouseDown(button, shift, at.x(), at.y()); });
        return Handled();
    }

    bool ButtonReleased(const QMouseEvent& event)
    {
        bool click = pressed_ && event.button() == Qt::LeftButton &&
                     control_->Widget()->rect().contains(event.position().toPoint());
        pressed_ = false;
        if (click)
            Dispatch([this] { control_->Click(); });
        return Handled();
    }

    template <class Handler>
    void Dispatch(const Handler& handler)
    {
        if (!control_)
            return;
        ++depth_;
        DispatchGuarded(control_, handler);
        --depth_;
    }

    // Plain widgets take the press, so it does not reach the parent's
    // handlers too; a freed control's press ends here.
    bool Handled() const { return !control_ || !ownMouse_; }

    TControl* control_;
    bool ownMouse_;
    bool pressed_ = false;
    int depth_ = 0;
};

TControl::TControl(std::unique_ptr<QWidget> widget, bool ownMouse) : widget_(widget.release())
{
    filter_ = new TControlEventFilter(*this, ownMouse); // a Qt child of the widget
    widget_->installEventFilter(filter_);
    widget_->hide();
    font_.OnChange = [this] { FontChanged(); };
    ApplyFont();
    // The widget's own background stands for the default colour until code sets one.
}

TControl::~TControl()
{
    CancelDrag(*this);
    if (parent_)
        parent_->Remove(this);
    ReleaseWidget();
}

void TControl::ReleaseWidget()
{
    bool dispatching = filter_ && filter_->Dispatching();
    if (filter_)
        filter_->Forget();
    if (!widget_)
        return;
    if (dispatching) {
        // Qt is still delivering an event to this widget.
        widget_->hide();
        widget_->setParent(nullptr);
        widget_->deleteLater();
    } else {
        delete widget_.data();
    }
}

void TControl::DetachFromParent()
{
    parent_ = nullptr;
    if (widget_) {
        widget_->hide();
        widget_->setParent(nullptr);
    }
}

TPoint TControl::ParentOffset() const
{
    return parent_ ? parent_->ScrollOffset() : TPoint{};
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    TRect bounds = BoundsRect();
    if (parent_)
        parent_->Remove(this);
    parent_ = parent;
    widget_->setParent(parent ? parent->ChildHost() : nullptr);
    if (parent) {
        parent->Insert(this);
        if (parentFont_)
            InheritFont();
    }
    PlaceWidget(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    widget_->setVisible(parent && visible_);
    if (parent)
        parent->ChildrenChanged();
}

int TControl::Left() const { return widget_->x() - ParentOffset().X; }
int TControl::Top() const { return widget_->y() - ParentOffset().Y; }
int TControl::Width() const { return widget_->width(); }
int TControl::Height() const { return widget_->height(); }

void TControl::SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
void TControl::SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
void TControl::SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
void TControl::SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

void TControl::SetBounds(int left, int top, int width, int height)
{
    PlaceWidget(left, top, width, height);
    if (parent_)
        parent_->ChildrenChanged();
}

void TControl::PlaceWidget(int left, int top, int width, int height)
{
    TPoint offset = ParentOffset();
    bool resized = width != widget_->width() || height != widget_->height();
    widget_->setGeometry(left + offset.X, top + offset.Y, std::max(0, width), std::max(0, height));
    if (resized)
        Resized();
}

TRect TControl::BoundsRect() const { return Bounds(Left(), Top(), Width(), Height()); }

void TControl::SetBoundsRect(const TRect& rect) { SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height()); }

int TControl::ClientWidth() const { return ClientArea()->width(); }
int TControl::ClientHeight() const { return ClientArea()->height(); }

void TControl::SetClientWidth(int width) { SetWidth(width + Width() - ClientWidth()); }
void TControl::SetClientHeight(int height) { SetHeight(height + Height() - ClientHeight()); }

TPoint TControl::ClientToScreen(TPoint point) const
{
    QPoint global = ClientArea()->mapToGlobal(QPoint(point.X, point.Y));
    return TPoint{global.x(), global.y()};
}

void TControl::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    VisibilityChanged();
}

void TControl::VisibilityChanged()
{
    if (parent_) {
        widget_->setVisible(visible_);
        parent_->ChildrenChanged();
    }
}

bool TControl::Enabled() const { return !widget_->testAttribute(Qt::WA_Disabled); }
void TControl::SetEnabled(bool enabled) { widget_->setEnabled(enabled); }

void TControl::SetAlign(TAlign align)
{
    align_ = align;
    if (parent_)
        parent_->ChildrenChanged();
}

void TControl::SetColor(TColor color)
{
    color_ = color;
    ApplyColor();
}

void TControl::ApplyColor()
{
    QPalette palette = widget_->palette();
    palette.setColor(QPalette::Window, ColorToQColor(color_));
    widget_->setPalette(palette);
    widget_->setAutoFillBackground(true);
}

void TControl::SetParentFont(bool parentFont)
{
    parentFont_ = parentFont;
    if (parentFont_ && parent_)
        InheritFont();
}

void TControl::InheritFont()
{
    inheritingFont_ = true;
    font_.Assign(parent_->Font());
    inheritingFont_ = false;
}

void TControl::FontChanged()
{
    if (!inheritingFont_)
        parentFont_ = false;
    ApplyFont();
    if (auto* container = dynamic_cast<TWinControl*>(this))
        for (TControl* child : container->controls_)
            if (child->parentFont_)
                child->InheritFont();
}

void TControl::ApplyFont()
{
    widget_->setFont(font_.ToQFont());
    QPalette palette = widget_->palette();
    QColor text = ColorToQColor(font_.Color());
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    widget_->setPalette(palette);
}

void TControl::ChangeScale(int ppi)
{
    // A font taken from the parent is scaled there.
    if (!parentFont_)
        font_.SetHeight(ScaleByPPI(font_.Height(), ppi));
    const TRect design = BoundsRect();
    const int width = ScaleByPPI(design.Width(), ppi);
    const int height = ScaleByPPI(design.Height(), ppi);
    switch (align_) {
    case alNone:
        if (SizesItself())
            SetBounds(ScaleByPPI(design.Left, ppi), ScaleByPPI(design.Top, ppi), Width(), Height());
        else
            SetBounds(ScaleByPPI(design.Left, ppi), ScaleByPPI(design.Top, ppi), width, height);
        break;
    case alTop:
    case alBottom: SetHeight(height); break;
    case alLeft:
    case alRight: SetWidth(width); break;
    case alClient: break;
    }
}

void TControl::SetHint(const std::string& hint)
{
    hint_ = hint;
    SetShowHint(showHint_);
}

void TControl::SetShowHint(bool show)
{
    showHint_ = show;
    widget_->setToolTip(show ? QString::fromStdString(hint_) : QString());
}

void TControl::SetCursor(TCursor cursor)
{
    cursor_ = cursor;
    if (cursor == crDefault)
        widget_->unsetCursor();
    else
        widget_->setCursor(QCursor(CursorShape(cursor)));
}

void TControl::Repaint() { widget_->repaint(); }

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

TControl* TControl::ControlAt(TPoint screenPoint)
{
    for (QWidget* widget = QApplication::widgetAt(screenPoint.X, screenPoint.Y); widget;
         widget = widget->parentWidget())
        for (QObject* child : widget->children())
            if (auto* filter = dynamic_cast<TControlEventFilter*>(child); filter && filter->Control())
                return filter->Control();
    return nullptr;
}

TWinControl::~TWinControl()
{
    for (TControl* child : controls_)
        child->DetachFromParent();
    controls_.clear();
}

void TWinControl::Insert(TControl* control) { controls_.push_back(control); }

void TWinControl::Remove(TControl* control)
{
    std::erase(controls_, control);
    ChildrenChanged();
}

void TWinControl::ChildrenChanged() { Realign(); }

void TWinControl::ChangeScale(int ppi)
{
    TControl::ChangeScale(ppi);
    ScaleChildren(ppi);
}

void TWinControl::ScaleChildren(int ppi)
{
    for (TControl* child : controls_)
        child->ChangeScale(ppi);
}

void TWinControl::SetFocus() { Widget()->setFocus(Qt::OtherFocusReason); }

bool TWinControl::Focused() const { return Widget()->hasFocus(); }

TRect TWinControl::AlignRect() const { return Bounds(0, 0, ClientWidth(), ClientHeight()); }

void TWinControl::Realign()
{
    if (realigning_)
        return;
    realigning_ = true;
    TRect rest = AlignRect();
    auto place = [&](TAlign align) {
        for (TControl* child : controls_) {
            if (child->align_ != align || !child->visible_)
                continue;
            int width = child->Width();
            int height = child->Height();
            switch (align) {
            case alTop: child->PlaceWidget(rest.Left, rest.Top, rest.Width(), height); rest.Top += height; break;
            case alBottom: rest.Bottom -= height; child->PlaceWidget(rest.Left, rest.Bottom, rest.Width(), height); break;
            case alLeft: child->PlaceWidget(rest.Left, rest.Top, width, rest.Height()); rest.Left += width; break;
            case alRight: rest.Right -= width; child->PlaceWidget(rest.Right, rest.Top, width, rest.Height()); break;
            case alClient: child->PlaceWidget(rest.Left, rest.Top, rest.Width(), rest.Height()); break;
            case alNone: break;
            }
        }
    };
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient})
        place(align);
    realigning_ = false;
}

// A drag begun in a press handler measures its threshold from that press.
void TControl::BeginDrag(bool immediate, int threshold)
{
    BeginDragOf(*this, immediate, threshold, lastPress);
}

bool TControl::Dragging() const { return IsDragging(*this); }
