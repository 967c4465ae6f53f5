#include "MetafileRecord.h"

#include <bit>

float MetafileRecord::F32(std::size_t offset) const { return std::bit_cast<float>(U32(offset)); }

QPolygonF MetafileRecord::Points16(std::size_t offset, std::size_t count) const
{
    if (!Fits(offset, count, 4))
        throw MalformedRecord{};
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(count));
    for (std::size_t i = 0; i < count; ++i)
        points.append(QPointF(I16(offset + 4 * i), I16(offset + 4 * i + 2)));
    return points;
}

QPolygonF MetafileRecord::Points32(std::size_t offset, std::size_t count) const
{
    if (!Fits(offset, count, 8))
        throw MalformedRecord{};
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(count));
    for (std::size_t i = 0; i < count; ++i)
        points.append(QPointF(I32(offset + 8 * i), I32(offset + 8 * i + 4)));
    return points;
}

QRectF MetafileRecord::Rect32(std::size_t offset) const
{
    return CornersRect(I32(offset), I32(offset + 4), I32(offset + 8), I32(offset + 12));
}

QRectF CornersRect(double left, double top, double right, double bottom)
{
    return QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
}
