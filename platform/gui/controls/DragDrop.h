// The one drag of controls in progress (TControl::BeginDrag), followed
// through the application's mouse and key events.
#pragma once

#include <QPoint>

class TControl;

// start: the screen point the threshold is measured from.
void BeginDragOf(TControl& source, bool immediate, int threshold, QPoint start);
bool IsDragging(const TControl& control);
// Ends the drag without a drop when control is its source (a source that
// goes ends its drag).
void CancelDrag(const TControl& control);
