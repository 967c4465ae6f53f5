#include "pictures/Graphics.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include <QPainter>

#include "Format.h"
#include "files/FileReplace.h"

void TGraphic::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

// The picture is written whole into memory first, so a failing write leaves
// an existing file as it was.
void TGraphic::SaveToFile(const std::string& fileName)
{
    TMemoryStream stream;
    SaveToStream(stream);
    const auto& bytes = stream.Bytes();
    const std::string_view contents(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!ReplaceFileContents(fileName, contents))
        throw EFCreateError(Format("Cannot create file \"%s\". %s", {fileName, std::strerror(errno)}));
}

void TGraphic::Draw(QPainter& painter, const QRect& target) const
{
    if (Empty() || target.isEmpty())
        return;
    const QImage image = PixelsToDraw(painter, target);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
    painter.restore();
}

QSize TGraphic::DeviceSize(const QPainter& painter, const QRect& target)
{
    const QRectF mapped = painter.worldTransform().mapRect(QRectF(target));
    return QSize(static_cast<int>(std::ceil(mapped.width())), static_cast<int>(std::ceil(mapped.height())));
}

void TGraphic::Changed()
{
    if (OnChange)
        OnChange();
}

void TGraphic::AssignError(const TGraphic& source) const
{
    throw EInvalidGraphic(Format("Cannot assign a %s to a %s", {source.ClassName(), ClassName()}));
}
