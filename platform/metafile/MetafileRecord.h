// One metafile record's bytes, read field by field (little-endian) strictly
// within the record. A field or an array that would reach past the record's
// end raises MalformedRecord, which ends the playing of the metafile: the
// drawing keeps what came before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include <QPointF>
#include <QPolygonF>
#include <QRectF>

#include "LittleEndian.h"

struct MalformedRecord {};

class MetafileRecord {
public:
    explicit MetafileRecord(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Size() const { return bytes_.size(); }
    // Whether count items of itemSize bytes fit from offset on; safe against
    // overflow for any count read from the file.
    bool Fits(std::size_t offset, std::size_t count, std::size_t itemSize = 1) const
    {
        return offset <= bytes_.size() && count <= (bytes_.size() - offset) / itemSize;
    }
    std::span<const std::uint8_t> Bytes(std::size_t offset, std::size_t count) const
    {
        Require(offset, count);
        return bytes_.subspan(offset, count);
    }

    std::uint16_t U16(std::size_t offset) const { return GetU16(At(offset, 2)); }
    std::int16_t I16(std::size_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
    std::uint32_t U32(std::size_t offset) const { return GetU32(At(offset, 4)); }
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    float F32(std::size_t offset) const;

    // count points of two 16-bit or two 32-bit coordinates (x first).
    QPolygonF Points16(std::size_t offset, std::size_t count) const;
    QPolygonF Points32(std::size_t offset, std::size_t count) const;
    // A rectangle stored as left, top, right, bottom in 32 bits.
    QRectF Rect32(std::size_t offset) const;

private:
    void Require(std::size_t offset, std::size_t count) const
    {
        if (!Fits(offset, count))
            throw MalformedRecord{};
    }
    const std::uint8_t* At(std::size_t offset, std::size_t count) const
    {
        Require(offset, count);
        return bytes_.data() + offset;
    }

    std::span<const std::uint8_t> bytes_;
};

// The rectangle between two corners as GDI gives them (in either order).
QRectF CornersRect(double left, double top, double right, double bottom);
