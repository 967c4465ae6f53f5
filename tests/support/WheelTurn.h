// Turning the mouse wheel in tests. A real turn over a control in a scroll
// box reaches the box's visible area, which its children do not take it
// from; an event sent by a test is not handed on, so tests turn the wheel
// over that area itself.
#pragma once

#include <QApplication>
#include <QScrollArea>
#include <QWheelEvent>

#include "controls/ScrollBox.h"

// notches > 0 turn the wheel towards the user, which scrolls on.
inline void TurnWheel(TScrollBox& box, int notches)
{
    QWidget& over = *static_cast<QScrollArea&>(*box.Widget()).viewport();
    const QPointF at(over.width() / 2.0, over.height() / 2.0);
    QWheelEvent wheel(at, over.mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&over, &wheel);
}
