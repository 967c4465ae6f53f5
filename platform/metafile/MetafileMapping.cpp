#include "MetafileMapping.h"

#include <algorithm>
#include <cmath>

#include <QRectF>

namespace {

// Millimetres per logical unit of the fixed modes.
double MillimetresPerUnit(int mode)
{
    switch (mode) {
    case mmLoMetric:
        return 0.1;
    case mmHiMetric:
        return 0.01;
    case mmLoEnglish:
        return 0.254;
    case mmHiEnglish:
        return 0.0254;
    case mmTwips:
        return 25.4 / 1440;
    default:
        return 0;
    }
}

// A zero extent would collapse the drawing; GDI refuses to set one.
double Ratio(double viewport, double window) { return window == 0 ? 1 : viewport / window; }

QSizeF Scale(const MetafileMapping& m, QSizeF devicePixelsPerMm)
{
    if (const double mm = MillimetresPerUnit(m.mode))
        return {mm * devicePixelsPerMm.width(), -mm * devicePixelsPerMm.height()};
    if (m.mode == mmAnisotropic)
        return {Ratio(m.viewportExt.width(), m.windowExt.width()), Ratio(m.viewportExt.height(), m.windowExt.height())};
    if (m.mode == mmIsotropic) {
        const double sx = Ratio(m.viewportExt.width(), m.windowExt.width());
        const double sy = Ratio(m.viewportExt.height(), m.windowExt.height());
        const double s = std::min(std::abs(sx), std::abs(sy));
        return {std::copysign(s, sx), std::copysign(s, sy)};
    }
    return {1, 1};
}

}  // namespace

QTransform LogicalToDevice(const MetafileMapping& mapping, QSizeF devicePixelsPerMm)
{
    const QSizeF scale = Scale(mapping, devicePixelsPerMm);
    return QTransform::fromTranslate(-mapping.windowOrg.x(), -mapping.windowOrg.y()) *
           QTransform::fromScale(scale.width(), scale.height()) *
           QTransform::fromTranslate(mapping.viewportOrg.x(), mapping.viewportOrg.y());
}

QTransform RectToRect(const QRectF& from, const QRectF& to)
{
    const double sx = from.width() == 0 ? 1 : to.width() / from.width();
    const double sy = from.height() == 0 ? 1 : to.height() / from.height();
    return QTransform::fromTranslate(-from.left(), -from.top()) * QTransform::fromScale(sx, sy) *
           QTransform::fromTranslate(to.left(), to.top());
}
