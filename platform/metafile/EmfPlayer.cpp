// An EMF is a sequence of records, each opening with its type and its size in
// bytes (a multiple of 4); the first is the header, the last EMR_EOF. Each
// record's size is checked against the bytes left, then libuemf's checks of
// the record's own inner sizes run, and only then are fields read (through
// MetafileRecord, which bounds every field once more). Logical coordinates go
// through the world transform and the mapping mode to the reference device,
// whose pixels of the frame are put onto the target.
#include "EmfPlayer.h"

#include <algorithm>
#include <cmath>

#include <uemf.h>
#include <uemf_safe.h>

#include "InvalidMetafile.h"
#include "MetafileCanvas.h"
#include "MetafileDib.h"
#include "MetafileRecord.h"

namespace {

constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kStockObject = 0x80000000;
constexpr std::size_t kHeaderMinSize = 88;
constexpr std::uint32_t kWorldIdentity = 1, kWorldLeftMultiply = 2, kWorldRightMultiply = 3, kWorldSet = 4;

QTransform ReadXForm(const MetafileRecord& r, std::size_t offset)
{
    return QTransform(r.F32(offset), r.F32(offset + 4), r.F32(offset + 8), r.F32(offset + 12), r.F32(offset + 16),
                      r.F32(offset + 20));
}

QPointF Point32(const MetafileRecord& r, std::size_t offset) { return QPointF(r.I32(offset), r.I32(offset + 4)); }
QSizeF Size32(const MetafileRecord& r, std::size_t offset) { return QSizeF(r.I32(offset), r.I32(offset + 4)); }

// EMR_POLY*: bounds, count, points.
QPolygonF PolyPoints(const MetafileRecord& r, bool small)
{
    const std::uint32_t count = r.U32(24);
    return small ? r.Points16(28, count) : r.Points32(28, count);
}

// EMR_POLYPOLY*: bounds, number of polygons, total points, the counts, the points.
std::vector<QPolygonF> PolyPolyPoints(const MetafileRecord& r, bool small)
{
    const std::uint32_t polygons = r.U32(24), total = r.U32(28);
    if (!r.Fits(32, polygons, 4))
        throw MalformedRecord{};
    const QPolygonF all = small ? r.Points16(32 + 4 * std::size_t(polygons), total)
                                : r.Points32(32 + 4 * std::size_t(polygons), total);
    std::vector<QPolygonF> result;
    qsizetype next = 0;
    for (std::uint32_t i = 0; i < polygons; ++i) {
        const std::uint32_t count = r.U32(32 + 4 * std::size_t(i));
        if (count > all.size() - next)
            throw MalformedRecord{};
        result.push_back(all.mid(next, count));
        next += count;
    }
    return result;
}

QString TextOf(const MetafileRecord& r, bool wide)
{
    const std::uint32_t count = r.U32(44), offset = r.U32(48);
    const auto bytes = r.Bytes(offset, std::size_t(count) * (wide ? 2 : 1));
    if (wide)
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data()), count);
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), count);
}

QImage RecordDib(const MetafileRecord& r, std::size_t at)
{
    // offBmi, cbBmi, offBits, cbBits
    return DibToImage(r.Bytes(r.U32(at), r.U32(at + 4)), r.Bytes(r.U32(at + 8), r.U32(at + 12)));
}

class EmfRecords {
public:
    EmfRecords(MetafileCanvas& canvas) : canvas_(canvas) {}
    // False at the end of the picture.
    bool Play(std::uint32_t type, const MetafileRecord& r);

private:
    void Select(std::uint32_t index);
    void ModifyWorld(const QTransform& xform, std::uint32_t mode);
    void CreateFont(const MetafileRecord& r);

    MetafileCanvas& canvas_;
};

void EmfRecords::Select(std::uint32_t index)
{
    if (index & kStockObject) {
        if (const auto stock = StockObject(index & ~kStockObject))
            canvas_.SelectObject(*stock);
    } else if (const MetafileObject* object = canvas_.Objects().Get(index)) {
        canvas_.SelectObject(*object);
    }
}

void EmfRecords::ModifyWorld(const QTransform& xform, std::uint32_t mode)
{
    QTransform& world = canvas_.State().world;
    if (mode == kWorldIdentity)
        world = QTransform();
    else if (mode == kWorldLeftMultiply)
        world = xform * world;
    else if (mode == kWorldRightMultiply)
        world = world * xform;
    else if (mode == kWorldSet)
        world = xform;
}

// EMR_EXTCREATEFONTINDIRECTW: index, then LOGFONTW: height, width,
// escapement, orientation, weight, italic, underline, strike-out, charset,
// four precision bytes, face name of 32 UTF-16 units.
void EmfRecords::CreateFont(const MetafileRecord& r)
{
    MetafileFont font;
    font.height = r.I32(12);
    font.escapement = r.I32(20);
    font.weight = r.I32(28);
    const auto flags = r.Bytes(32, 3);
    font.italic = flags[0];
    font.underline = flags[1];
    font.strikeOut = flags[2];
    const auto face = r.Bytes(40, 64);
    font.face = QString::fromUtf16(reinterpret_cast<const char16_t*>(face.data()), 32);
    font.face.truncate(font.face.indexOf(QChar(0)));
    canvas_.Objects().Put(r.U32(8), font);
}

bool EmfRecords::Play(std::uint32_t type, const MetafileRecord& r)
{
    MetafileState& s = canvas_.State();
    switch (type) {
    case U_EMR_EOF:
        return false;
    case U_EMR_POLYGON:
    case U_EMR_POLYGON16:
        canvas_.Polygon(PolyPoints(r, type == U_EMR_POLYGON16));
        break;
    case U_EMR_POLYLINE:
    case U_EMR_POLYLINE16:
        canvas_.Polyline(PolyPoints(r, type == U_EMR_POLYLINE16));
        break;
    case U_EMR_POLYLINETO:
    case U_EMR_POLYLINETO16:
        canvas_.PolylineTo(PolyPoints(r, type == U_EMR_POLYLINETO16));
        break;
    case U_EMR_POLYBEZIER:
    case U_EMR_POLYBEZIER16:
        canvas_.Bezier(PolyPoints(r, type == U_EMR_POLYBEZIER16));
        break;
    case U_EMR_POLYBEZIERTO:
    case U_EMR_POLYBEZIERTO16:
        canvas_.BezierTo(PolyPoints(r, type == U_EMR_POLYBEZIERTO16));
        break;
    case U_EMR_POLYPOLYGON:
    case U_EMR_POLYPOLYGON16:
        canvas_.PolyPolygon(PolyPolyPoints(r, type == U_EMR_POLYPOLYGON16));
        break;
    case U_EMR_POLYPOLYLINE:
    case U_EMR_POLYPOLYLINE16:
        for (const QPolygonF& line : PolyPolyPoints(r, type == U_EMR_POLYPOLYLINE16))
            canvas_.Polyline(line);
        break;
    case U_EMR_SETWINDOWEXTEX:
        s.mapping.windowExt = Size32(r, 8);
        break;
    case U_EMR_SETWINDOWORGEX:
        s.mapping.windowOrg = Point32(r, 8);
        break;
    case U_EMR_SETVIEWPORTEXTEX:
        s.mapping.viewportExt = Size32(r, 8);
        break;
    case U_EMR_SETVIEWPORTORGEX:
        s.mapping.viewportOrg = Point32(r, 8);
        break;
    case U_EMR_SETMAPMODE:
        s.mapping.mode = static_cast<int>(r.U32(8));
        break;
    case U_EMR_SETBKMODE:
        s.opaqueBackground = r.U32(8) == U_OPAQUE;
        break;
    case U_EMR_SETPOLYFILLMODE:
        s.fillRule = r.U32(8) == U_WINDING ? Qt::WindingFill : Qt::OddEvenFill;
        break;
    case U_EMR_SETTEXTALIGN:
        s.textAlign = r.U32(8);
        break;
    case U_EMR_SETTEXTCOLOR:
        s.textColor = ColorRef(r.U32(8));
        break;
    case U_EMR_SETBKCOLOR:
        s.backgroundColor = ColorRef(r.U32(8));
        break;
    case U_EMR_MOVETOEX:
        canvas_.MoveTo(Point32(r, 8));
        break;
    case U_EMR_LINETO:
        canvas_.LineTo(Point32(r, 8));
        break;
    case U_EMR_SAVEDC:
        canvas_.SaveDC();
        break;
    case U_EMR_RESTOREDC:
        canvas_.RestoreDC(r.I32(8));
        break;
    case U_EMR_SETWORLDTRANSFORM:
        s.world = ReadXForm(r, 8);
        break;
    case U_EMR_MODIFYWORLDTRANSFORM:
        ModifyWorld(ReadXForm(r, 8), r.U32(32));
        break;
    case U_EMR_SELECTOBJECT:
        Select(r.U32(8));
        break;
    case U_EMR_DELETEOBJECT:
        canvas_.Objects().Delete(r.U32(8));
        break;
    case U_EMR_CREATEPEN:  // index, style, width (x, y), colour
        canvas_.Objects().Put(r.U32(8), MakePen(r.U32(12), r.I32(16), ColorRef(r.U32(24))));
        break;
    case U_EMR_EXTCREATEPEN:  // index, offBmi, cbBmi, offBits, cbBits, style, width, brush style, colour
        canvas_.Objects().Put(r.U32(8), MakePen(r.U32(28), r.U32(32), ColorRef(r.U32(40))));
        break;
    case U_EMR_CREATEBRUSHINDIRECT:  // index, style, colour, hatch
        canvas_.Objects().Put(r.U32(8), MakeBrush(r.U32(12), ColorRef(r.U32(16)), r.U32(20)));
        break;
    case U_EMR_CREATEPALETTE:
    case U_EMR_CREATEMONOBRUSH:
    case U_EMR_CREATEDIBPATTERNBRUSHPT:
        canvas_.Objects().Put(r.U32(8), OtherObject{});
        break;
    case U_EMR_EXTCREATEFONTINDIRECTW:
        CreateFont(r);
        break;
    case U_EMR_RECTANGLE:
        canvas_.Rectangle(r.Rect32(8));
        break;
    case U_EMR_ELLIPSE:
        canvas_.Ellipse(r.Rect32(8));
        break;
    case U_EMR_ROUNDRECT:
        canvas_.RoundRect(r.Rect32(8), Size32(r, 24));
        break;
    case U_EMR_ARC:
    case U_EMR_PIE:
    case U_EMR_CHORD: {
        const ArcKind kind = type == U_EMR_ARC ? ArcKind::Arc : type == U_EMR_PIE ? ArcKind::Pie : ArcKind::Chord;
        canvas_.ArcShape(kind, r.Rect32(8), Point32(r, 24), Point32(r, 32));
        break;
    }
    case U_EMR_EXTTEXTOUTA:
    case U_EMR_EXTTEXTOUTW:  // bounds, graphics mode, scales, then the text's reference point at 36
        canvas_.Text(Point32(r, 36), TextOf(r, type == U_EMR_EXTTEXTOUTW));
        break;
    case U_EMR_BITBLT:  // bounds, x, y, cx, cy, rop, xSrc, ySrc, xform, colour, usage, then the DIB at 84
        if (r.U32(88) != 0)
            canvas_.Image(QRectF(r.I32(24), r.I32(28), r.I32(32), r.I32(36)), RecordDib(r, 84),
                          QRectF(r.I32(44), r.I32(48), r.I32(32), r.I32(36)));
        break;
    case U_EMR_STRETCHBLT:  // as BitBlt, then the source's cx, cy at 100
        if (r.U32(88) != 0)
            canvas_.Image(QRectF(r.I32(24), r.I32(28), r.I32(32), r.I32(36)), RecordDib(r, 84),
                          QRectF(r.I32(44), r.I32(48), r.I32(100), r.I32(104)));
        break;
    case U_EMR_STRETCHDIBITS: {  // bounds, x, y, xSrc, ySrc, cxSrc, cySrc, the DIB at 48, usage, rop, cx, cy
        const QImage image = RecordDib(r, 48);
        // The source rectangle counts rows from the bitmap's bottom.
        const double ySrc = image.height() - r.I32(36) - r.I32(44);
        canvas_.Image(QRectF(r.I32(24), r.I32(28), r.I32(72), r.I32(76)), image,
                      QRectF(r.I32(32), ySrc, r.I32(40), r.I32(44)));
        break;
    }
    case U_EMR_BEGINPATH:
        canvas_.BeginPath();
        break;
    case U_EMR_ENDPATH:
        canvas_.EndPath();
        break;
    case U_EMR_CLOSEFIGURE:
        canvas_.CloseFigure();
        break;
    case U_EMR_FILLPATH:
        canvas_.FillPath();
        break;
    case U_EMR_STROKEPATH:
        canvas_.StrokePath();
        break;
    case U_EMR_STROKEANDFILLPATH:
        canvas_.StrokeAndFillPath();
        break;
    default:
        break;
    }
    return true;
}

// The records this player draws or keeps state from; the rest are skipped
// unread.
bool IsPlayed(std::uint32_t type)
{
    switch (type) {
    case U_EMR_HEADER:
    case U_EMR_COMMENT:
        return false;
    default:
        return type <= U_EMR_MAX;
    }
}

}  // namespace

bool IsEmf(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= 44 && GetU32(bytes.data()) == U_EMR_HEADER && GetU32(bytes.data() + 40) == kSignature;
}

// EMR_HEADER: type, size, bounds, frame, signature, version, bytes, records,
// handles, reserved, description, palette, then the device in pixels and in mm.
EmfHeader ReadEmfHeader(std::span<const std::uint8_t> bytes)
{
    if (!IsEmf(bytes))
        throw EInvalidMetafile("Invalid or damaged metafile");
    const std::uint32_t size = GetU32(bytes.data() + 4);
    if (size < kHeaderMinSize || size > bytes.size() ||
        !U_emf_record_safe(reinterpret_cast<const char*>(bytes.data())))
        throw EInvalidMetafile("Invalid or damaged metafile: the header is damaged");
    const MetafileRecord r(bytes.first(size));
    const QSizeF devicePixels = Size32(r, 72), deviceMm = Size32(r, 80);
    QSizeF perMm(96 / 25.4, 96 / 25.4);
    if (devicePixels.width() > 0 && devicePixels.height() > 0 && deviceMm.width() > 0 && deviceMm.height() > 0)
        perMm = QSizeF(devicePixels.width() / deviceMm.width(), devicePixels.height() / deviceMm.height());
    const QRectF bounds = r.Rect32(8);
    return {bounds.adjusted(0, 0, 1, 1), r.Rect32(24), perMm};
}

namespace {

// Header rectangles span the whole 32-bit range; a side past what a picture
// can have is kept just large enough to be refused, not rounded past int.
QSize SaturatedSize(const QSizeF& size)
{
    constexpr double kLargestSide = 1 << 30;
    return QSizeF(std::clamp(size.width(), -kLargestSide, kLargestSide),
                  std::clamp(size.height(), -kLargestSide, kLargestSide))
        .toSize();
}

}  // namespace

QSize EmfPixelSize(const EmfHeader& header)
{
    if (header.frame.isEmpty())
        return SaturatedSize(header.bounds.size());
    return SaturatedSize(header.frame.size() * 96 / 2540);
}

void PlayEmf(std::span<const std::uint8_t> bytes, QPainter& painter, const QRectF& target)
{
    const EmfHeader header = ReadEmfHeader(bytes);
    const QSizeF perMm = header.devicePixelsPerMm;
    const QRectF frame = header.frame.isEmpty()
                             ? header.bounds
                             : QRectF(header.frame.left() * perMm.width() / 100, header.frame.top() * perMm.height() / 100,
                                      header.frame.width() * perMm.width() / 100, header.frame.height() * perMm.height() / 100);
    const QTransform deviceToTarget = RectToRect(frame, target);
    MetafileCanvas canvas(painter, [deviceToTarget, perMm](const MetafileState& s) {
        return LogicalToDevice(s.mapping, perMm) * deviceToTarget;
    });
    EmfRecords records(canvas);
    std::size_t offset = 0;
    while (bytes.size() - offset >= 8) {
        const std::uint8_t* at = bytes.data() + offset;
        const std::uint32_t type = GetU32(at), size = GetU32(at + 4);
        if (size < 8 || size % 4 != 0 || size > bytes.size() - offset)
            return;
        if (IsPlayed(type)) {
            if (!U_emf_record_safe(reinterpret_cast<const char*>(at)))
                return;
            try {
                if (!records.Play(type, MetafileRecord(bytes.subspan(offset, size))))
                    return;
            } catch (const MalformedRecord&) {
                return;
            }
        }
        offset += size;
    }
}
