#include "controls/Image.h"

#include <functional>

#include <QPainter>
#include <QWidget>

namespace {

class TImageWidget : public QWidget {
public:
    std::function<void(QPainter&)> Paint;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (Paint)
            Paint(painter);
    }
};

} // namespace

TImage::TImage() : TGraphicControl(std::make_unique<TImageWidget>(), false)
{
    static_cast<TImageWidget&>(*Widget()).Paint = [this](QPainter& painter) { Paint(painter); };
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
