// The device context both metafile players draw through: the state records
// change (pen, brush, font, colours, modes, mapping, current position), the
// SaveDC/RestoreDC stack, the object table, and the drawing itself on a
// QPainter. Coordinates come in logical units; the player supplies how the
// state maps them onto the target.
#pragma once

#include <functional>
#include <vector>

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "MetafileMapping.h"
#include "MetafileObjects.h"

struct MetafileState {
    QPen pen = MakePen(0, 0, Qt::black);
    QBrush brush{Qt::white};
    MetafileFont font;
    QColor textColor{Qt::black};
    QColor backgroundColor{Qt::white};
    bool opaqueBackground = true;
    unsigned textAlign = 0;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    MetafileMapping mapping;
    QTransform world;  // EMF's world transform, applied before the mapping
    QPointF position;
};

enum class ArcKind { Arc, Pie, Chord };

class MetafileCanvas {
public:
    using Mapping = std::function<QTransform(const MetafileState&)>;
    MetafileCanvas(QPainter& painter, Mapping logicalToTarget);

    MetafileState& State() { return state_; }
    MetafileObjects& Objects() { return objects_; }
    void SelectObject(const MetafileObject& object);

    void SaveDC();
    // relative < 0 goes back that many saves; > 0 names a save by its depth.
    void RestoreDC(int relative);

    void Polygon(const QPolygonF& points);
    void PolyPolygon(const std::vector<QPolygonF>& polygons);
    void Polyline(const QPolygonF& points);
    // Continues from the current position and moves it to the last point.
    void PolylineTo(const QPolygonF& points);
    void BezierTo(const QPolygonF& points);
    void Bezier(const QPolygonF& points);
    void MoveTo(QPointF point);
    void LineTo(QPointF point);
    void Rectangle(const QRectF& box);
    void RoundRect(const QRectF& box, QSizeF corner);
    void Ellipse(const QRectF& box);
    void ArcShape(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void Text(QPointF reference, const QString& text);
    void Image(const QRectF& target, const QImage& image, const QRectF& source);

    // Between BeginPath and EndPath, lines and shapes build the path instead
    // of drawing; the path records then fill or stroke it.
    void BeginPath();
    void EndPath() { inPath_ = false; }
    void CloseFigure() { path_.closeSubpath(); }
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();

private:
    void Prepare(bool fill);
    void Shape(const QPainterPath& shape, bool fill);
    void Continue(const QPainterPath& segment);

    QPainter& painter_;
    Mapping logicalToTarget_;
    MetafileState state_;
    std::vector<MetafileState> saved_;
    MetafileObjects objects_;
    QPainterPath path_;
    bool inPath_ = false;
};
