#include "controls/ScrollBox.h"

#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QWheelEvent>

namespace {

// A box that scrolls only sideways, such as a film strip, takes the wheel's
// turns sideways; Qt's area would give them to its absent vertical bar.
class TSidewaysWheelArea : public QScrollArea {
protected:
    void wheelEvent(QWheelEvent* event) override
    {
        const bool turned = event->angleDelta().y() != 0 && event->angleDelta().x() == 0;
        if (turned && verticalScrollBar()->maximum() == 0 && horizontalScrollBar()->maximum() > 0)
            QApplication::sendEvent(horizontalScrollBar(), event);
        else
            QScrollArea::wheelEvent(event);
    }
};

// The scroll position that shows the span start..end (content coordinates)
// in a visible length from position: the near edge first, and a span longer
// than the visible length from its start.
int PositionShowing(int position, int visible, int start, int end)
{
    if (start < position)
        return start;
    if (end > position + visible)
        return end - start > visible ? start : end - visible;
    return position;
}

} // namespace

TScrollBox::TScrollBox()
    : TWinControl(std::make_unique<TSidewaysWheelArea>(), false), area_(static_cast<QScrollArea*>(Widget())),
      content_(new QWidget), vertical_(*area_->verticalScrollBar()), horizontal_(*area_->horizontalScrollBar())
{
    area_->setWidgetResizable(false);
    area_->setWidget(content_); // the area owns the content widget
    content_->setAutoFillBackground(false);
    area_->viewport()->setAutoFillBackground(false);
    focusWatch_ = QObject::connect(qApp, &QApplication::focusChanged, [this](QWidget*, QWidget* now) {
        if (now && content_->isAncestorOf(now))
            ScrollInView(*now);
    });
}

TScrollBox::~TScrollBox()
{
    QObject::disconnect(focusWatch_);
}

bool TScrollBox::SingleBorder() const { return area_->frameShape() != QFrame::NoFrame; }

void TScrollBox::SetSingleBorder(bool single)
{
    area_->setFrameShape(single ? QFrame::StyledPanel : QFrame::NoFrame);
    CalcAutoRange();
}

void TScrollBox::SetVertScrollBarVisible(bool visible)
{
    area_->setVerticalScrollBarPolicy(visible ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TScrollBox::SetHorzScrollBarVisible(bool visible)
{
    area_->setHorizontalScrollBarPolicy(visible ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void TScrollBox::EnableAutoRange()
{
    if (autoRangeHeld_ > 0 && --autoRangeHeld_ == 0)
        CalcAutoRange();
}

QWidget* TScrollBox::ClientArea() const
{
    // A hidden area lays out its viewport only when shown; until then the
    // frame's inside is the visible part.
    return area_->isVisible() ? area_->viewport() : area_;
}

TPoint TScrollBox::ScrollOffset() const
{
    return TPoint{-content_->x(), -content_->y()};
}

TRect TScrollBox::AlignRect() const
{
    QRect inside = area_->isVisible() ? area_->viewport()->rect() : area_->contentsRect();
    return Bounds(0, 0, inside.width(), inside.height());
}

void TScrollBox::ChildrenChanged()
{
    TWinControl::ChildrenChanged();
    if (autoRangeHeld_ == 0)
        CalcAutoRange();
}

void TScrollBox::Resized()
{
    TWinControl::Resized();
    CalcAutoRange();
}

void TScrollBox::CalcAutoRange()
{
    // Children are measured in content coordinates, so the range does not
    // depend on how far the box is scrolled.
    int right = 0;
    int bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        if (!child->Visible() || child->Align() != alNone)
            continue;
        QRect placed = child->Widget()->geometry();
        right = std::max(right, placed.x() + placed.width());
        bottom = std::max(bottom, placed.y() + placed.height());
    }
    // A bar shows only where the children reach beyond the box, and a bar
    // takes room from the other direction, as on Windows.
    const QSize room = Room();
    const int barWidth = area_->verticalScrollBar()->sizeHint().width();
    const int barHeight = area_->horizontalScrollBar()->sizeHint().height();
    bool vertical = bottom > room.height();
    bool horizontal = right > room.width() - (vertical ? barWidth : 0);
    vertical = vertical || (horizontal && bottom > room.height() - barHeight);
    const int width = room.width() - (vertical ? barWidth : 0);
    const int height = room.height() - (horizontal ? barHeight : 0);
    content_->resize(std::max(right, width), std::max(bottom, height));
    // Qt shows or hides the bars for the new range only at its next event
    // loop turn; asked to lay out now, it gives the viewport its final size.
    QEvent layout(QEvent::LayoutRequest);
    QApplication::sendEvent(area_, &layout);
}

QSize TScrollBox::Room() const
{
    // A hidden area lays out its viewport only when shown.
    return area_->isVisible() ? area_->maximumViewportSize() : area_->contentsRect().size();
}

void TScrollBox::ScrollInView(const QWidget& widget)
{
    const QRect placed(widget.mapTo(content_, QPoint(0, 0)), widget.size());
    horizontal_.SetPosition(
        PositionShowing(horizontal_.Position(), ClientWidth(), placed.left(), placed.left() + placed.width()));
    vertical_.SetPosition(
        PositionShowing(vertical_.Position(), ClientHeight(), placed.top(), placed.top() + placed.height()));
}

TRect TScrollBox::ClientRectWithoutBars() const
{
    const QSize room = Room();
    return Bounds(0, 0, room.width(), room.height());
}
