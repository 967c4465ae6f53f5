// The GDI mapping from a metafile's logical coordinates to its device: the
// mapping mode, the window and the viewport (origin and extent). Fixed modes
// measure logical units in millimetres or inches with y pointing up;
// MM_ANISOTROPIC scales the window onto the viewport, MM_ISOTROPIC does so
// with the same scale on both axes (the smaller one).
#pragma once

#include <QPointF>
#include <QSizeF>
#include <QTransform>

enum MapMode { mmText = 1, mmLoMetric, mmHiMetric, mmLoEnglish, mmHiEnglish, mmTwips, mmIsotropic, mmAnisotropic };

struct MetafileMapping {
    int mode = mmText;
    QPointF windowOrg;
    QSizeF windowExt{1, 1};
    QPointF viewportOrg;
    QSizeF viewportExt{1, 1};
};

// Logical to device; devicePixelsPerMm is the device's resolution, which the
// fixed modes need.
QTransform LogicalToDevice(const MetafileMapping& mapping, QSizeF devicePixelsPerMm);
// The transform that puts the rectangle from onto the rectangle to.
QTransform RectToRect(const QRectF& from, const QRectF& to);
