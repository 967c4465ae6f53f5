// Enhanced metafiles (EMF): reading the header and playing the records onto
// a painter. The header gives the picture's frame in 0.01 mm on its
// reference device; playing maps that frame onto the target. Records are
// checked against the bytes before anything is read from them; an unknown
// record is skipped, a malformed one ends the playing.
#pragma once

#include <cstdint>
#include <span>

#include <QPainter>
#include <QRectF>
#include <QSize>

struct EmfHeader {
    QRectF bounds;            // device pixels, inclusive
    QRectF frame;             // 0.01 mm
    QSizeF devicePixelsPerMm; // the reference device's resolution
};

// Whether the bytes open with an EMF header record.
bool IsEmf(std::span<const std::uint8_t> bytes);
// Raises EInvalidMetafile when the header is damaged.
EmfHeader ReadEmfHeader(std::span<const std::uint8_t> bytes);
// The natural size in screen pixels (96 per inch): the frame, or the bounds
// when the frame is empty.
QSize EmfPixelSize(const EmfHeader& header);
void PlayEmf(std::span<const std::uint8_t> bytes, QPainter& painter, const QRectF& target);
