#include "Fonts.h"

#include <algorithm>
#include <cstdlib>

#include "Geometry.h"
#include "Screen.h"

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
    font.setPixelSize(std::max(1, std::abs(height_)));
    font.setBold((style_ & fsBold) != 0);
    font.setItalic((style_ & fsItalic) != 0);
    font.setUnderline((style_ & fsUnderline) != 0);
    font.setStrikeOut((style_ & fsStrikeOut) != 0);
    return font;
}

std::string MapFontFamily(const std::string& windowsName)
{
    // The Windows dialog font. DejaVu Sans Condensed (fonts-dejavu-extra)
    // is about as wide, so captions wrap where the designs expect them to.
    if (windowsName == "MS Sans Serif")
        return "DejaVu Sans Condensed";
    return windowsName;
}
