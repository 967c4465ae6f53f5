#include "screen/Screen.h"

#include <cmath>

#include <QApplication>
#include <QCursor>
#include <QScreen>

TScreen* Screen = nullptr;

Qt::CursorShape CursorShape(TCursor cursor)
{
    switch (cursor) {
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crDrag: return Qt::DragMoveCursor;
    case crNoDrop: return Qt::ForbiddenCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
    }
}

TScreen::TScreen()
{
    if (QScreen* primary = QGuiApplication::primaryScreen())
        pixelsPerInch_ = static_cast<int>(std::lround(primary->logicalDotsPerInch()));
}

TScreen::~TScreen()
{
    SetCursor(crDefault);
}

int TScreen::Width() const
{
    QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry().width() : 0;
}

int TScreen::Height() const
{
    QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry().height() : 0;
}

void TScreen::SetCursor(TCursor cursor)
{
    if (cursor == cursor_)
        return;
    if (cursor_ != crDefault)
        QApplication::restoreOverrideCursor();
    cursor_ = cursor;
    if (cursor_ != crDefault)
        QApplication::setOverrideCursor(QCursor(CursorShape(cursor_)));
}
