#include "screen/Fonts.h"

#include <algorithm>
#include <cstdlib>

#include "screen/Geometry.h"
#include "screen/Screen.h"

TFont::TFont() = default;

void TFont::SetName(const std::string& name)
{
    name_ = name;
    Changed();
}

void TFont::SetHeight(int height)
{
    height_ = height;
    Changed();
}

int TFont::Size() const
{
    return static_cast<int>(DivRoundHalfEven(-static_cast<int64_t>(height_) * 72, Screen->PixelsPerInch()));
}

void TFont::SetSize(int points)
{
    SetHeight(-static_cast<int>(DivRoundHalfEven(static_cast<int64_t>(points) * Screen->PixelsPerInch(), 72)));
}

void TFont::SetStyle(TFontStyles style)
{
    style_ = style;
    Changed();
}

void TFont::SetColor(TColor color)
{
    color_ = color;
    Changed();
}

void TFont::Assign(const TFont& source)
{
    name_ = source.name_;
    height_ = source.height_;
    style_ = source.style_;
    color_ = source.color_;
    Changed();
}

void TFont::Changed()
{
    if (OnChange)
        OnChange();
}

QFont TFont::ToQFont() const
{
    QFont font(QString::fromStdString(MapFontFamily(name_)));
    font.setPixelSize(MapFontPixelSize(name_, height_));
    font.setBold((style_ & fsBold) != 0);
    font.setItalic((style_ & fsItalic) != 0);
    font.setUnderline((style_ & fsUnderline) != 0);
    font.setStrikeOut((style_ & fsStrikeOut) != 0);
    return font;
}

QFont ScreenDefaultFont()
{
    TFont font;
    font.SetHeight(ScaleByPPI(font.Height(), Screen ? Screen->PixelsPerInch() : 96));
    return font.ToQFont();
}

namespace {

const char* const DialogFont = "MS Sans Serif";

} // namespace

std::string MapFontFamily(const std::string& windowsName)
{
    // The Windows dialog font. DejaVu Sans Condensed (fonts-dejavu-extra)
    // has its proportions, so captions wrap where the designs expect them to.
    if (windowsName == DialogFont)
        return "DejaVu Sans Condensed";
    return windowsName;
}

int MapFontPixelSize(const std::string& windowsName, int height)
{
    int pixels = std::abs(height);
    // At the same height DejaVu runs about a tenth wider than the bitmap
    // font the windows were laid out in; ten elevenths of it keeps every
    // designed caption inside its control.
    if (windowsName == DialogFont)
        pixels = static_cast<int>(DivRoundHalfEven(int64_t{pixels} * 10, 11));
    return std::max(1, pixels);
}
