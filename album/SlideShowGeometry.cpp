#include "SlideShowGeometry.h"

#include <algorithm>
#include <cmath>

namespace pictoalbum {

namespace {

// Halves to the even neighbour, as the default rounding mode does.
int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

bool HasPixels(TSlideSize size)
{
    return size.Width > 0 && size.Height > 0;
}

TSlideSize Scaled(TSlideSize size, double factor)
{
    return {RoundHalfEven(size.Width * factor), RoundHalfEven(size.Height * factor)};
}

} // namespace

std::optional<TSlideSize> ZoomedSize(TSlideSize picture, double zoomFactor)
{
    if (!HasPixels(picture))
        return std::nullopt;
    return Scaled(picture, zoomFactor);
}

std::optional<TSlideSize> FittedSize(TSlideSize picture, TSlideSize client)
{
    if (!HasPixels(picture))
        return std::nullopt;
    const double scale = std::min(static_cast<double>(client.Height) / picture.Height,
                                  static_cast<double>(client.Width) / picture.Width);
    return Scaled(picture, scale);
}

std::optional<TSlideSize> ZoomedIn(TSlideSize displayed, TSlideSize picture)
{
    if (!HasPixels(picture))
        return std::nullopt;
    if (displayed.Height >= 4 * picture.Height)
        return displayed;
    return Scaled(displayed, 1.5);
}

std::optional<TSlideSize> ZoomedOut(TSlideSize displayed, TSlideSize picture)
{
    if (!HasPixels(picture))
        return std::nullopt;
    if (picture.Height / 8 >= displayed.Height)
        return displayed;
    return TSlideSize{RoundHalfEven(displayed.Width / 1.5), RoundHalfEven(displayed.Height / 1.5)};
}

TSlidePosition CentredPosition(TSlideSize panel, TSlideSize client)
{
    return {panel.Width <= client.Width ? (client.Width - panel.Width) / 2 : 0,
            panel.Height < client.Height ? (client.Height - panel.Height) / 2 : 0};
}

} // namespace pictoalbum
