#include "MetafileObjects.h"

#include <algorithm>

namespace {

// Files may name any 32-bit index; a table beyond this is not a drawing.
constexpr std::size_t kMaxObjects = 65536;

Qt::PenStyle PenStyle(std::uint32_t style)
{
    switch (style & 0xF) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    case 5:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle HatchStyle(std::uint32_t hatch)
{
    static const Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                              Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    return hatch < std::size(kHatches) ? kHatches[hatch] : Qt::SolidPattern;
}

}  // namespace

QColor ColorRef(std::uint32_t value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

QPen MakePen(std::uint32_t style, double width, QColor color)
{
    QPen pen(color, std::max(width, 0.0), PenStyle(style));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QBrush MakeBrush(std::uint32_t style, QColor color, std::uint32_t hatch)
{
    switch (style) {
    case 1:
        return QBrush(Qt::NoBrush);
    case 2:
        return QBrush(color, HatchStyle(hatch));
    default:
        return QBrush(color);
    }
}

std::optional<MetafileObject> StockObject(std::uint32_t index)
{
    switch (index) {
    case 0:
        return QBrush(Qt::white);
    case 1:
        return QBrush(QColor(192, 192, 192));
    case 2:
        return QBrush(QColor(128, 128, 128));
    case 3:
        return QBrush(QColor(64, 64, 64));
    case 4:
        return QBrush(Qt::black);
    case 5:
        return QBrush(Qt::NoBrush);
    case 6:
        return MakePen(0, 0, Qt::white);
    case 7:
        return MakePen(0, 0, Qt::black);
    case 8:
        return MakePen(5, 0, Qt::black);
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17:
        return MetafileFont{};
    default:
        return std::nullopt;
    }
}

void MetafileObjects::Put(std::size_t index, MetafileObject object)
{
    if (index >= kMaxObjects)
        return;
    if (index >= objects_.size())
        objects_.resize(index + 1);
    objects_[index] = std::move(object);
}

void MetafileObjects::PutInFreeSlot(MetafileObject object)
{
    const auto free = std::find(objects_.begin(), objects_.end(), std::nullopt);
    Put(static_cast<std::size_t>(free - objects_.begin()), std::move(object));
}

const MetafileObject* MetafileObjects::Get(std::size_t index) const
{
    return index < objects_.size() && objects_[index] ? &*objects_[index] : nullptr;
}

void MetafileObjects::Delete(std::size_t index)
{
    if (index < objects_.size())
        objects_[index].reset();
}
