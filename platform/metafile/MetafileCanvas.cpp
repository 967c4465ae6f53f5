#include "MetafileCanvas.h"

#include <cmath>
#include <numbers>

#include <QFontMetricsF>

namespace {

// GDI's text alignment flags.
constexpr unsigned kAlignRight = 2, kAlignCenter = 6, kAlignBottom = 8, kAlignBaseline = 24;
// Files may save without end; deeper stacks are not drawings.
constexpr std::size_t kMaxSaves = 1024;
// The font size when a font asks for the default one.
constexpr double kDefaultFontHeight = 12;

// The angle, in degrees anticlockwise on screen, of point seen from the centre.
double AngleFromCentre(const QRectF& box, QPointF point)
{
    const QPointF d = point - box.center();
    return std::atan2(-d.y() * box.width(), d.x() * box.height()) * 180 / std::numbers::pi;
}

QPainterPath ArcPath(ArcKind kind, const QRectF& box, QPointF start, QPointF end)
{
    const double from = AngleFromCentre(box, start);
    double span = AngleFromCentre(box, end) - from;
    if (span <= 0)
        span += 360;
    QPainterPath path;
    if (kind == ArcKind::Pie)
        path.moveTo(box.center());
    else
        path.arcMoveTo(box, from);
    path.arcTo(box, from, span);
    if (kind != ArcKind::Arc)
        path.closeSubpath();
    return path;
}

}  // namespace

MetafileCanvas::MetafileCanvas(QPainter& painter, Mapping logicalToTarget)
    : painter_(painter), logicalToTarget_(std::move(logicalToTarget))
{
}

void MetafileCanvas::SelectObject(const MetafileObject& object)
{
    if (const auto* pen = std::get_if<QPen>(&object))
        state_.pen = *pen;
    else if (const auto* brush = std::get_if<QBrush>(&object))
        state_.brush = *brush;
    else if (const auto* font = std::get_if<MetafileFont>(&object))
        state_.font = *font;
}

void MetafileCanvas::SaveDC()
{
    if (saved_.size() < kMaxSaves)
        saved_.push_back(state_);
}

void MetafileCanvas::RestoreDC(int relative)
{
    const long depth = relative < 0 ? static_cast<long>(saved_.size()) + relative : relative - 1;
    if (depth < 0 || depth >= static_cast<long>(saved_.size()))
        return;
    state_ = saved_[static_cast<std::size_t>(depth)];
    saved_.resize(static_cast<std::size_t>(depth));
}

void MetafileCanvas::Prepare(bool fill)
{
    painter_.setTransform(state_.world * logicalToTarget_(state_));
    painter_.setPen(state_.pen);
    painter_.setBrush(fill ? state_.brush : QBrush(Qt::NoBrush));
}

void MetafileCanvas::Shape(const QPainterPath& shape, bool fill)
{
    if (inPath_) {
        path_.addPath(shape);
        return;
    }
    Prepare(fill);
    painter_.drawPath(shape);
}

// Inside a path, lines that go on from the current position continue its
// figure, so the figure fills as one.
void MetafileCanvas::Continue(const QPainterPath& segment)
{
    if (!inPath_)
        Shape(segment, false);
    else if (path_.isEmpty())
        path_.addPath(segment);
    else
        path_.connectPath(segment);
}

void MetafileCanvas::Polygon(const QPolygonF& points) { PolyPolygon({points}); }

void MetafileCanvas::PolyPolygon(const std::vector<QPolygonF>& polygons)
{
    QPainterPath path;
    path.setFillRule(state_.fillRule);
    for (const QPolygonF& polygon : polygons) {
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    Shape(path, true);
}

void MetafileCanvas::Polyline(const QPolygonF& points)
{
    if (points.isEmpty())
        return;
    QPainterPath path;
    path.addPolygon(points);
    Shape(path, false);
}

void MetafileCanvas::PolylineTo(const QPolygonF& points)
{
    if (points.isEmpty())
        return;
    QPainterPath path;
    path.addPolygon(QPolygonF{state_.position} + points);
    Continue(path);
    state_.position = points.last();
}

void MetafileCanvas::BezierTo(const QPolygonF& points)
{
    QPainterPath path(state_.position);
    for (qsizetype i = 0; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    Continue(path);
    state_.position = path.currentPosition();
}

void MetafileCanvas::Bezier(const QPolygonF& points)
{
    if (points.isEmpty())
        return;
    state_.position = points.first();
    BezierTo(points.mid(1));
}

void MetafileCanvas::MoveTo(QPointF point)
{
    state_.position = point;
    if (inPath_)
        path_.moveTo(point);
}

void MetafileCanvas::LineTo(QPointF point)
{
    QPainterPath path(state_.position);
    path.lineTo(point);
    Continue(path);
    state_.position = point;
}

void MetafileCanvas::Rectangle(const QRectF& box)
{
    QPainterPath path;
    path.addRect(box);
    Shape(path, true);
}

void MetafileCanvas::RoundRect(const QRectF& box, QSizeF corner)
{
    QPainterPath path;
    path.addRoundedRect(box, corner.width() / 2, corner.height() / 2);
    Shape(path, true);
}

void MetafileCanvas::Ellipse(const QRectF& box)
{
    QPainterPath path;
    path.addEllipse(box);
    Shape(path, true);
}

void MetafileCanvas::ArcShape(ArcKind kind, const QRectF& box, QPointF start, QPointF end)
{
    if (box.isEmpty())
        return;
    Shape(ArcPath(kind, box, start, end), kind != ArcKind::Arc);
}

// Text keeps its glyphs upright whatever the mapping's axes do: only the
// reference point and the font's size go through the mapping.
void MetafileCanvas::Text(QPointF reference, const QString& text)
{
    if (text.isEmpty())
        return;
    const QTransform toTarget = state_.world * logicalToTarget_(state_);
    const double scale = std::hypot(toTarget.m21(), toTarget.m22());
    const double height = state_.font.height ? std::abs(state_.font.height) : kDefaultFontHeight;
    const double pixels = height * scale;
    if (!(pixels >= 1 && pixels <= 4096))
        return;
    QFont font(state_.font.face);
    font.setPixelSize(static_cast<int>(std::lround(pixels)));
    font.setWeight(QFont::Weight(std::clamp(state_.font.weight / 10 * 10, 100, 900)));
    font.setItalic(state_.font.italic);
    font.setUnderline(state_.font.underline);
    font.setStrikeOut(state_.font.strikeOut);
    const QFontMetricsF metrics(font);
    const unsigned horizontal = state_.textAlign & kAlignCenter, vertical = state_.textAlign & kAlignBaseline;
    const double width = metrics.horizontalAdvance(text);
    const double x = horizontal == kAlignCenter ? -width / 2 : horizontal == kAlignRight ? -width : 0;
    const double y = vertical == kAlignBaseline ? 0 : vertical == kAlignBottom ? -metrics.descent() : metrics.ascent();

    painter_.resetTransform();
    painter_.translate(toTarget.map(reference));
    painter_.rotate(-state_.font.escapement / 10.0);
    painter_.setFont(font);
    if (state_.opaqueBackground)
        painter_.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.height()), state_.backgroundColor);
    painter_.setPen(state_.textColor);
    painter_.drawText(QPointF(x, y), text);
}

void MetafileCanvas::Image(const QRectF& target, const QImage& image, const QRectF& source)
{
    if (image.isNull())
        return;
    painter_.setTransform(state_.world * logicalToTarget_(state_));
    painter_.drawImage(target, image, source);
}

void MetafileCanvas::BeginPath()
{
    path_ = QPainterPath();
    path_.setFillRule(state_.fillRule);
    inPath_ = true;
}

void MetafileCanvas::FillPath()
{
    Prepare(true);
    painter_.setPen(Qt::NoPen);
    painter_.drawPath(path_);
    path_ = QPainterPath();
}

void MetafileCanvas::StrokePath()
{
    Prepare(false);
    painter_.drawPath(path_);
    path_ = QPainterPath();
}

void MetafileCanvas::StrokeAndFillPath()
{
    Prepare(true);
    painter_.drawPath(path_);
    path_ = QPainterPath();
}
