#include "controls/DragDrop.h"

#include <cstdlib>

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

#include "controls/Controls.h"
#include "dispatch/GuardedDispatch.h"

namespace {

class TDragTracker : public QObject {
public:
    void Begin(TControl& source, bool immediate, int threshold, QPoint start)
    {
        End();
        source_ = &source;
        start_ = start;
        threshold_ = threshold;
        qApp->installEventFilter(this);
        if (immediate)
            Activate(start_);
    }

    bool IsSource(const TControl& control) const { return source_ == &control; }

    void End()
    {
        if (!source_)
            return;
        qApp->removeEventFilter(this);
        if (active_)
            QApplication::restoreOverrideCursor();
        source_ = nullptr;
        target_ = nullptr;
        active_ = false;
    }

protected:
    // Events are taken at the widgets they reach, each once.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        switch (event->type()) {
        case QEvent::MouseMove: return Moved(static_cast<QMouseEvent&>(*event).globalPosition().toPoint());
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: return active_; // the press of the dropping click
        case QEvent::MouseButtonRelease: return Released(static_cast<QMouseEvent&>(*event).globalPosition().toPoint());
        case QEvent::KeyPress: return KeyPressed(static_cast<QKeyEvent&>(*event).key());
        default: return false;
        }
    }

private:
    bool Moved(QPoint global)
    {
        const QPoint moved = global - start_;
        if (!active_ && std::max(std::abs(moved.x()), std::abs(moved.y())) >= threshold_)
            Activate(global);
        else if (active_)
            ShowWhetherAccepted(global);
        return active_;
    }

    bool Released(QPoint global)
    {
        if (!active_) {
            End();
            return false;
        }
        TControl* source = source_;
        TControl* target = Accepts(global) ? target_ : nullptr;
        End(); // the drop handler may free the source or start another drag
        if (target) {
            const QPoint at = target->ClientArea()->mapFromGlobal(global);
            DispatchGuarded(target, [&] {
                if (target->OnDragDrop)
                    target->OnDragDrop(target, source, at.x(), at.y());
            });
        }
        return true;
    }

    bool KeyPressed(int key)
    {
        if (!active_ || key != Qt::Key_Escape)
            return false;
        End();
        return true;
    }

    void Activate(QPoint global)
    {
        active_ = true;
        QApplication::setOverrideCursor(QCursor(CursorShape(crNoDrop)));
        ShowWhetherAccepted(global);
    }

    void ShowWhetherAccepted(QPoint global)
    {
        QApplication::changeOverrideCursor(QCursor(CursorShape(Accepts(global) ? crDrag : crNoDrop)));
    }

    // Asks the control under the mouse through its OnDragOver.
    bool Accepts(QPoint global)
    {
        TControl* target = TControl::ControlAt(TPoint{global.x(), global.y()});
        const TDragState state = target == target_ ? dsDragMove : dsDragEnter;
        target_ = target;
        if (!target || !target->OnDragOver)
            return false;
        const QPoint at = target->ClientArea()->mapFromGlobal(global);
        bool accept = false;
        DispatchGuarded(target, [&] { target->OnDragOver(target, source_, at.x(), at.y(), state, accept); });
        return accept;
    }

    TControl* source_ = nullptr;
    TControl* target_ = nullptr; // compared only, never followed when stale
    QPoint start_;
    int threshold_ = 0;
    bool active_ = false;
};

TDragTracker& Tracker()
{
    static TDragTracker tracker;
    return tracker;
}

} // namespace

void BeginDragOf(TControl& source, bool immediate, int threshold, QPoint start)
{
    Tracker().Begin(source, immediate, threshold, start);
}

bool IsDragging(const TControl& control)
{
    return Tracker().IsSource(control);
}

void CancelDrag(const TControl& control)
{
    if (Tracker().IsSource(control))
        Tracker().End();
}
