#include "pictures/Clipbrd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

bool TClipboard::HasPicture() const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

void TClipboard::Assign(const TGraphic& graphic)
{
    const QImage image = graphic.ToImage();
    if (image.isNull())
        QGuiApplication::clipboard()->clear();
    else
        QGuiApplication::clipboard()->setImage(image);
}

std::unique_ptr<TBitmap> TClipboard::Picture() const
{
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull())
        return nullptr;
    return std::make_unique<TBitmap>(image);
}

TClipboard& Clipboard()
{
    static TClipboard clipboard;
    return clipboard;
}
