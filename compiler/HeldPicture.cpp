#include "HeldPicture.h"

#include <QPainter>
#include <QPen>

namespace pictomake {

namespace {

void DrawPadlock(QPainter& painter, const QRectF& area)
{
    const QRectF body(area.left() + area.width() * 0.25, area.top() + area.height() * 0.45, area.width() * 0.5,
                      area.height() * 0.4);
    const QRectF shackle(area.left() + area.width() * 0.33, area.top() + area.height() * 0.18, area.width() * 0.34,
                         area.height() * 0.5);
    painter.setPen(QPen(Qt::darkGray, std::max(2.0, area.width() / 16)));
    painter.drawArc(shackle, 0, 180 * 16);
    painter.fillRect(body, Qt::darkGray);
}

void DrawCrossedFrame(QPainter& painter, const QRectF& area)
{
    painter.setPen(QPen(Qt::darkGray, std::max(2.0, area.width() / 24)));
    const QRectF frame = area.adjusted(area.width() * 0.2, area.height() * 0.2, -area.width() * 0.2,
                                       -area.height() * 0.2);
    painter.drawRect(frame);
    painter.drawLine(frame.topLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomLeft());
}

} // namespace

THeldPicture::THeldPicture(TReason reason, std::string storedCaption, std::shared_ptr<const TStoredEntry> entry)
    : reason_(reason), storedCaption_(std::move(storedCaption)), entry_(std::move(entry))
{
}

void THeldPicture::LoadFromStream(TStream&)
{
    throw EInvalidGraphic("A held picture cannot be loaded");
}

void THeldPicture::SaveToStream(TStream&)
{
    throw EInvalidGraphic(reason_ == TReason::Locked ? "The picture is locked: the album's password was not given"
                                                     : "The picture could not be read from the album");
}

void THeldPicture::Assign(const TGraphic& source)
{
    const THeldPicture* held = AsHeldPicture(&source);
    if (!held)
        AssignError(source);
    reason_ = held->reason_;
    storedCaption_ = held->storedCaption_;
    entry_ = held->entry_;
    Changed();
}

std::unique_ptr<TGraphic> THeldPicture::Clone() const
{
    return std::make_unique<THeldPicture>(reason_, storedCaption_, entry_);
}

QImage THeldPicture::ToImage() const
{
    QImage image(PlaceholderSize, PlaceholderSize, QImage::Format_RGB32);
    image.fill(QColor(0xE0, 0xE0, 0xE0));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (reason_ == TReason::Locked)
        DrawPadlock(painter, QRectF(image.rect()));
    else
        DrawCrossedFrame(painter, QRectF(image.rect()));
    return image;
}

const THeldPicture* AsHeldPicture(const TGraphic* graphic)
{
    return dynamic_cast<const THeldPicture*>(graphic);
}

} // namespace pictomake
