// Plain Windows metafiles (WMF): reading the headers and playing the records
// onto a painter. A placeable header gives the picture's bounds in logical
// units and their units per inch; without one, the window the records set
// frames the picture. Records are checked against the bytes before anything
// is read from them; an unknown record is skipped, a malformed one ends the
// playing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include <QPainter>
#include <QRectF>
#include <QSize>

struct WmfHeader {
    std::optional<QRectF> bounds;  // from the placeable header
    int unitsPerInch = 0;
    std::size_t recordsStart = 0;
};

// Whether the bytes open with a placeable or a plain metafile header.
bool IsWmf(std::span<const std::uint8_t> bytes);
// Raises EInvalidMetafile when the headers are damaged.
WmfHeader ReadWmfHeader(std::span<const std::uint8_t> bytes);
// The natural size in screen pixels (96 per inch) from the placeable
// header, else the window extent the records set; raises EInvalidMetafile
// when neither gives one.
QSize WmfPixelSize(std::span<const std::uint8_t> bytes, const WmfHeader& header);
void PlayWmf(std::span<const std::uint8_t> bytes, QPainter& painter, const QRectF& target);
