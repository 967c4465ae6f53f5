// Colours as the programs hold them: 0x00BBGGRR for a plain RGB value, or a
// system colour (high byte 0xFF, so negative; low byte the system colour
// index) that stands for whatever the desktop's palette says.
#pragma once

#include <cstdint>

#include <QColor>

using TColor = std::int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clWhite = 0xFFFFFF;

inline constexpr TColor clWindowText = static_cast<TColor>(0xFF000008);
inline constexpr TColor clWindow = static_cast<TColor>(0xFF000005);
inline constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000F);
inline constexpr TColor clBtnShadow = static_cast<TColor>(0xFF000010);
inline constexpr TColor clBtnText = static_cast<TColor>(0xFF000012);
inline constexpr TColor clBtnHighlight = static_cast<TColor>(0xFF000014);
inline constexpr TColor clHighlight = static_cast<TColor>(0xFF00000D);
inline constexpr TColor clHighlightText = static_cast<TColor>(0xFF00000E);

// The RGB value of a colour; a system colour is looked up in the
// application's palette.
TColor ColorToRGB(TColor color);

QColor ColorToQColor(TColor color);
TColor RGB(int red, int green, int blue);
