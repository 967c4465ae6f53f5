#include "screen/Colors.h"

#include <QApplication>
#include <QPalette>

namespace {

constexpr uint32_t SystemColorFlag = 0xFF000000;

QPalette::ColorRole SystemColorRole(TColor color)
{
    switch (color) {
    case clWindowText: return QPalette::WindowText;
    case clWindow: return QPalette::Base;
    case clBtnShadow: return QPalette::Mid;
    case clBtnText: return QPalette::ButtonText;
    case clBtnHighlight: return QPalette::Light;
    case clHighlight: return QPalette::Highlight;
    case clHighlightText: return QPalette::HighlightedText;
    default: return QPalette::Button;
    }
}

} // namespace

TColor RGB(int red, int green, int blue)
{
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}

TColor ColorToRGB(TColor color)
{
    if ((static_cast<uint32_t>(color) & SystemColorFlag) != SystemColorFlag)
        return color & 0xFFFFFF;
    QColor system = QApplication::palette().color(QPalette::Active, SystemColorRole(color));
    return RGB(system.red(), system.green(), system.blue());
}

QColor ColorToQColor(TColor color)
{
    TColor rgb = ColorToRGB(color);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}
