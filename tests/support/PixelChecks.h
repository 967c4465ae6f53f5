// Looking at rendered pictures in tests: where the pixels of a kind lie, and
// the kinds tests look for.
#pragma once

#include <functional>

#include <QColor>
#include <QImage>
#include <QRect>

// The bounding box of the pixels that pass (empty when none does).
inline QRect Where(const QImage& image, const std::function<bool(QColor)>& passes)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (passes(image.pixelColor(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

inline bool IsRed(QColor c)
{
    return c.red() > 200 && c.green() < 80 && c.blue() < 80;
}

inline bool IsDark(QColor c)
{
    return c.red() < 128 && c.green() < 128 && c.blue() < 128;
}

inline bool IsWhite(QColor c)
{
    return c.red() > 245 && c.green() > 245 && c.blue() > 245;
}
