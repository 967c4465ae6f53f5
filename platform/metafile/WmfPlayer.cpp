// A WMF is an optional placeable header (22 bytes), the metafile header and
// records, each opening with its size in 16-bit words and its function; the
// function's low byte names the record. Parameters are 16-bit and stored in
// reverse order (a rectangle is bottom, right, top, left). Each record's size
// is checked against the bytes left and by libuemf's record check before
// fields are read through MetafileRecord. Created objects take the lowest
// free index of the object table. The window (or the placeable bounds) is
// put onto the target.
#include "WmfPlayer.h"

#include <uwmf.h>

#include "InvalidMetafile.h"
#include "MetafileCanvas.h"
#include "MetafileDib.h"
#include "MetafileRecord.h"

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kRecordHeader = 6;  // size in words, function
constexpr std::uint16_t kClippedOrOpaque = 0x0006;

QPointF PointYX(const MetafileRecord& r, std::size_t offset) { return QPointF(r.I16(offset + 2), r.I16(offset)); }

// bottom, right, top, left
QRectF RectBRTL(const MetafileRecord& r, std::size_t offset)
{
    return CornersRect(r.I16(offset + 6), r.I16(offset + 4), r.I16(offset + 2), r.I16(offset));
}

// Reversed destination and source of the blit records, then the DIB:
// [source height, width, y, x,] destination height, width, y, x.
struct Blit {
    QRectF target, source;
    std::size_t dib;
};

Blit ReadBlit(const MetafileRecord& r, std::size_t at, bool sourceSized)
{
    const std::size_t destination = sourceSized ? at + 8 : at + 4;
    const QSizeF size(r.I16(destination + 2), r.I16(destination));
    const QRectF target(PointYX(r, destination + 4), size);
    const QSizeF sourceSize = sourceSized ? QSizeF(r.I16(at + 2), r.I16(at)) : size;
    const QRectF source(PointYX(r, sourceSized ? at + 4 : at), sourceSize);
    return {target, source, destination + 8};
}

class WmfRecords {
public:
    WmfRecords(MetafileCanvas& canvas) : canvas_(canvas) {}
    // False at the end of the picture.
    bool Play(std::uint8_t function, const MetafileRecord& r);

private:
    void Select(std::uint16_t index);
    void CreateFont(const MetafileRecord& r);
    void TextOut(const MetafileRecord& r);
    void ExtTextOut(const MetafileRecord& r);
    void PolyPolygon(const MetafileRecord& r);
    void DrawBlit(const MetafileRecord& r, const Blit& blit);

    MetafileCanvas& canvas_;
};

void WmfRecords::Select(std::uint16_t index)
{
    if (const MetafileObject* object = canvas_.Objects().Get(index))
        canvas_.SelectObject(*object);
}

// height, width, escapement, orientation, weight, italic, underline,
// strike-out, charset, four precision bytes, face name of 32 bytes.
void WmfRecords::CreateFont(const MetafileRecord& r)
{
    MetafileFont font;
    font.height = r.I16(6);
    font.escapement = r.I16(10);
    font.weight = r.I16(14);
    const auto flags = r.Bytes(16, 3);
    font.italic = flags[0];
    font.underline = flags[1];
    font.strikeOut = flags[2];
    const std::size_t faceLength = std::min<std::size_t>(32, r.Size() - std::min<std::size_t>(r.Size(), 24));
    const auto face = r.Bytes(24, faceLength);
    font.face = QString::fromLatin1(reinterpret_cast<const char*>(face.data()), static_cast<qsizetype>(face.size()));
    font.face.truncate(font.face.indexOf(QChar(0)));
    canvas_.Objects().PutInFreeSlot(font);
}

// length, the string padded to whole words, y, x.
void WmfRecords::TextOut(const MetafileRecord& r)
{
    const std::size_t length = static_cast<std::uint16_t>(r.I16(6));
    const auto text = r.Bytes(8, length);
    const std::size_t at = 8 + (length + 1) / 2 * 2;
    canvas_.Text(PointYX(r, at), QString::fromLatin1(reinterpret_cast<const char*>(text.data()),
                                                    static_cast<qsizetype>(length)));
}

// y, x, length, options, [clip or opaque rectangle], string, [spacing].
void WmfRecords::ExtTextOut(const MetafileRecord& r)
{
    const std::size_t length = r.U16(10);
    const std::size_t at = (r.U16(12) & kClippedOrOpaque) ? 22 : 14;
    const auto text = r.Bytes(at, length);
    canvas_.Text(PointYX(r, 6), QString::fromLatin1(reinterpret_cast<const char*>(text.data()),
                                                   static_cast<qsizetype>(length)));
}

// number of polygons, their point counts, then all points.
void WmfRecords::PolyPolygon(const MetafileRecord& r)
{
    const std::size_t polygons = r.U16(6);
    std::size_t point = 8 + 2 * polygons;
    std::vector<QPolygonF> all;
    for (std::size_t i = 0; i < polygons; ++i) {
        const std::size_t count = r.U16(8 + 2 * i);
        all.push_back(r.Points16(point, count));
        point += 4 * count;
    }
    canvas_.PolyPolygon(all);
}

void WmfRecords::DrawBlit(const MetafileRecord& r, const Blit& blit)
{
    const QImage image = PackedDibToImage(r.Bytes(blit.dib, r.Size() - std::min(r.Size(), blit.dib)));
    // Source rows count from the bitmap's bottom.
    QRectF source = blit.source;
    source.moveTop(image.height() - source.top() - source.height());
    canvas_.Image(blit.target, image, source);
}

bool WmfRecords::Play(std::uint8_t function, const MetafileRecord& r)
{
    MetafileState& s = canvas_.State();
    switch (function) {
    case U_WMR_EOF:
        return false;
    case U_WMR_SETWINDOWORG:
        s.mapping.windowOrg = PointYX(r, 6);
        break;
    case U_WMR_SETWINDOWEXT:
        s.mapping.windowExt = QSizeF(r.I16(8), r.I16(6));
        break;
    case U_WMR_SETMAPMODE:
        s.mapping.mode = r.U16(6);
        break;
    case U_WMR_SETBKMODE:
        s.opaqueBackground = r.U16(6) == U_OPAQUE;
        break;
    case U_WMR_SETPOLYFILLMODE:
        s.fillRule = r.U16(6) == U_WINDING ? Qt::WindingFill : Qt::OddEvenFill;
        break;
    case U_WMR_SETTEXTALIGN:
        s.textAlign = r.U16(6);
        break;
    case U_WMR_SETTEXTCOLOR:
        s.textColor = ColorRef(r.U32(6));
        break;
    case U_WMR_SETBKCOLOR:
        s.backgroundColor = ColorRef(r.U32(6));
        break;
    case U_WMR_MOVETO:
        canvas_.MoveTo(PointYX(r, 6));
        break;
    case U_WMR_LINETO:
        canvas_.LineTo(PointYX(r, 6));
        break;
    case U_WMR_SAVEDC:
        canvas_.SaveDC();
        break;
    case U_WMR_RESTOREDC:
        canvas_.RestoreDC(r.I16(6));
        break;
    case U_WMR_SELECTOBJECT:
        Select(r.U16(6));
        break;
    case U_WMR_DELETEOBJECT:
        canvas_.Objects().Delete(r.U16(6));
        break;
    case U_WMR_CREATEPENINDIRECT:  // style, width (x, y), colour
        canvas_.Objects().PutInFreeSlot(MakePen(r.U16(6), r.I16(8), ColorRef(r.U32(12))));
        break;
    case U_WMR_CREATEBRUSHINDIRECT:  // style, colour, hatch
        canvas_.Objects().PutInFreeSlot(MakeBrush(r.U16(6), ColorRef(r.U32(8)), r.U16(12)));
        break;
    case U_WMR_CREATEFONTINDIRECT:
        CreateFont(r);
        break;
    case U_WMR_CREATEPALETTE:
    case U_WMR_CREATEPATTERNBRUSH:
    case U_WMR_DIBCREATEPATTERNBRUSH:
    case U_WMR_CREATEREGION:
        canvas_.Objects().PutInFreeSlot(OtherObject{});
        break;
    case U_WMR_POLYGON:
        canvas_.Polygon(r.Points16(8, r.U16(6)));
        break;
    case U_WMR_POLYLINE:
        canvas_.Polyline(r.Points16(8, r.U16(6)));
        break;
    case U_WMR_POLYPOLYGON:
        PolyPolygon(r);
        break;
    case U_WMR_RECTANGLE:
        canvas_.Rectangle(RectBRTL(r, 6));
        break;
    case U_WMR_ELLIPSE:
        canvas_.Ellipse(RectBRTL(r, 6));
        break;
    case U_WMR_ROUNDRECT:  // height, width, then the rectangle
        canvas_.RoundRect(RectBRTL(r, 10), QSizeF(r.I16(8), r.I16(6)));
        break;
    case U_WMR_ARC:
    case U_WMR_PIE:
    case U_WMR_CHORD: {  // end y, x, start y, x, then the rectangle
        const ArcKind kind = function == U_WMR_ARC ? ArcKind::Arc : function == U_WMR_PIE ? ArcKind::Pie : ArcKind::Chord;
        canvas_.ArcShape(kind, RectBRTL(r, 14), PointYX(r, 10), PointYX(r, 6));
        break;
    }
    case U_WMR_TEXTOUT:
        TextOut(r);
        break;
    case U_WMR_EXTTEXTOUT:
        ExtTextOut(r);
        break;
    case U_WMR_DIBBITBLT:  // raster operation, then the blit
        DrawBlit(r, ReadBlit(r, 10, false));
        break;
    case U_WMR_DIBSTRETCHBLT:  // raster operation, then the blit
        DrawBlit(r, ReadBlit(r, 10, true));
        break;
    case U_WMR_STRETCHDIB:  // raster operation, colour usage, then the blit
        DrawBlit(r, ReadBlit(r, 12, true));
        break;
    default:
        break;
    }
    return true;
}

// Calls play for each well-formed record until the end or the first
// malformed one.
template <typename Play>
void ForEachRecord(std::span<const std::uint8_t> bytes, std::size_t offset, Play play)
{
    const char* limit = reinterpret_cast<const char*>(bytes.data() + bytes.size());
    while (bytes.size() - offset >= kRecordHeader) {
        const std::uint8_t* at = bytes.data() + offset;
        const std::uint64_t size = std::uint64_t(GetU32(at)) * 2;
        if (size < kRecordHeader || size > bytes.size() - offset ||
            U_WMRRECSAFE_get(reinterpret_cast<const char*>(at), limit) == 0)
            return;
        try {
            if (!play(static_cast<std::uint8_t>(GetU16(at + 4)), MetafileRecord(bytes.subspan(offset, size))))
                return;
        } catch (const MalformedRecord&) {
            return;
        }
        offset += size;
    }
}

std::optional<QSizeF> WindowExtent(std::span<const std::uint8_t> bytes, std::size_t start)
{
    std::optional<QSizeF> extent;
    ForEachRecord(bytes, start, [&extent](std::uint8_t function, const MetafileRecord& r) {
        if (function == U_WMR_SETWINDOWEXT)
            extent = QSizeF(r.I16(8), r.I16(6));
        return !extent && function != U_WMR_EOF;
    });
    return extent;
}

}  // namespace

bool IsWmf(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() >= 4 && GetU32(bytes.data()) == kPlaceableKey)
        return true;
    return bytes.size() >= 18 && (GetU16(bytes.data()) == 1 || GetU16(bytes.data()) == 2) &&
           GetU16(bytes.data() + 2) == 9;
}

WmfHeader ReadWmfHeader(std::span<const std::uint8_t> bytes)
{
    if (!IsWmf(bytes))
        throw EInvalidMetafile("Invalid or damaged metafile");
    U_WMRPLACEABLE placeable{};
    U_WMRHEADER plain{};
    const char* begin = reinterpret_cast<const char*>(bytes.data());
    const int size = wmfheader_get(begin, begin + bytes.size(), &placeable, &plain);
    if (size <= 0 || static_cast<std::size_t>(size) > bytes.size())
        throw EInvalidMetafile("Invalid or damaged metafile: the header is damaged");
    WmfHeader header;
    header.recordsStart = static_cast<std::size_t>(size);
    if (placeable.Key == kPlaceableKey) {
        header.bounds = CornersRect(placeable.Dst.left, placeable.Dst.top, placeable.Dst.right, placeable.Dst.bottom);
        header.unitsPerInch = placeable.Inch ? placeable.Inch : 1440;
    }
    return header;
}

QSize WmfPixelSize(std::span<const std::uint8_t> bytes, const WmfHeader& header)
{
    if (header.bounds)
        return (header.bounds->size() * 96 / header.unitsPerInch).toSize();
    if (const auto extent = WindowExtent(bytes, header.recordsStart))
        return QSizeF(std::abs(extent->width()), std::abs(extent->height())).toSize();
    throw EInvalidMetafile("Invalid or damaged metafile: it gives no size");
}

void PlayWmf(std::span<const std::uint8_t> bytes, QPainter& painter, const QRectF& target)
{
    const WmfHeader header = ReadWmfHeader(bytes);
    const std::optional<QRectF> bounds = header.bounds;
    // The records' window frames the picture; before they set one, or in
    // the fixed modes, the placeable bounds do.
    MetafileCanvas canvas(painter, [bounds, target](const MetafileState& s) {
        const MetafileMapping& m = s.mapping;
        const bool scalable = m.mode == mmAnisotropic || m.mode == mmIsotropic;
        const QRectF window = scalable || !bounds ? QRectF(m.windowOrg, m.windowExt) : *bounds;
        return RectToRect(window, target);
    });
    if (bounds) {
        canvas.State().mapping.windowOrg = bounds->topLeft();
        canvas.State().mapping.windowExt = bounds->size();
    }
    WmfRecords records(canvas);
    ForEachRecord(bytes, header.recordsStart,
                  [&records](std::uint8_t function, const MetafileRecord& r) { return records.Play(function, r); });
}
