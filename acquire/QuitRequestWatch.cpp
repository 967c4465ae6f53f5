#include "QuitRequestWatch.h"

#include <QCoreApplication>
#include <QEvent>

#include "application/Application.h"

QuitRequestWatch::QuitRequestWatch() { QCoreApplication::instance()->installEventFilter(this); }

QuitRequestWatch::~QuitRequestWatch() { QCoreApplication::instance()->removeEventFilter(this); }

// Terminate marks the application even where Qt's own loop is not running
// and so sends no quit event.
bool QuitRequestWatch::QuitRequested() const { return quitSeen_ || (Application && Application->Terminated()); }

bool QuitRequestWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
        quitSeen_ = true;
    return false;
}
