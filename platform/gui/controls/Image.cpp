#include "controls/Image.h"

#include <memory>

#include <QPainter>

#include "controls/PaintedWidget.h"

TImage::TImage() : TGraphicControl(std::make_unique<TPaintedWidget>(), false)
{
    Painted(Widget()).Drawing = [this](QPainter& painter) { Paint(painter); };
    picture_.OnChange = [this] { Widget()->update(); };
}

void TImage::SetStretch(bool stretch)
{
    stretch_ = stretch;
    Widget()->update();
}

void TImage::Paint(QPainter& painter) const
{
    QRect target = stretch_ ? Widget()->rect() : QRect(0, 0, picture_.Width(), picture_.Height());
    picture_.Draw(painter, target);
}
