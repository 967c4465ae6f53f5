// The font of a control or form. Windows font names the programs were
// designed with map to fonts a Debian desktop has ("MS Sans Serif" becomes
// DejaVu Sans Condensed, drawn a little smaller). Height is in pixels:
// negative for the character height without internal leading (how the
// designs give it), positive for the cell.
#pragma once

#include <functional>
#include <string>

#include <QFont>

#include "screen/Colors.h"

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

class TFont {
public:
    TFont();

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    int Height() const { return height_; }
    void SetHeight(int height);
    // Points at the screen's pixels per inch, as the Windows font dialog gives them.
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    // Copies everything but the change handler, then tells it.
    void Assign(const TFont& source);

    // Called after every change; the owning control re-applies the font.
    std::function<void()> OnChange;

    QFont ToQFont() const;

private:
    void Changed();

    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
};

// The layer's default font at the screen's pixels per inch, for the windows
// the layer makes itself (message and input boxes).
QFont ScreenDefaultFont();

// The installed family that stands in for a Windows font name.
std::string MapFontFamily(const std::string& windowsName);
// The pixel size the stand-in is drawn at for a font of that name and height.
int MapFontPixelSize(const std::string& windowsName, int height);
