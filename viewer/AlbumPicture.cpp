#include "AlbumPicture.h"

#include <QPainter>

#include "Stream.h"

namespace pictoview {

namespace {

QImage SmallCopyOf(const TJPEGImage& picture)
{
    const QSize size = QSize(picture.Width(), picture.Height())
                           .scaled(TAlbumPicture::SmallCopySide, TAlbumPicture::SmallCopySide, Qt::KeepAspectRatio)
                           .expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.Draw(painter, image.rect());
    return image;
}

} // namespace

TAlbumPicture::TAlbumPicture(const TJPEGImage& picture, TAlbumPictureSource source)
    : width_(picture.Width()),
      height_(picture.Height()),
      smallCopy_(picture.Empty() ? QImage() : SmallCopyOf(picture)),
      source_(std::make_shared<const TAlbumPictureSource>(std::move(source)))
{
}

std::unique_ptr<TJPEGImage> TAlbumPicture::Whole() const
{
    std::vector<std::uint8_t> bytes = source_ && *source_ ? (*source_)() : std::vector<std::uint8_t>();
    if (bytes.empty())
        return nullptr;
    TMemoryStream stream(std::move(bytes));
    auto picture = std::make_unique<TJPEGImage>();
    picture->LoadFromStream(stream);
    return picture;
}

void TAlbumPicture::LoadFromStream(TStream&)
{
    throw EInvalidGraphic("An album's picture is read from its album");
}

void TAlbumPicture::SaveToStream(TStream& stream)
{
    const std::vector<std::uint8_t> bytes = source_ && *source_ ? (*source_)() : std::vector<std::uint8_t>();
    if (bytes.empty())
        throw EInvalidGraphic("The picture's album is closed");
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TAlbumPicture::Assign(const TGraphic& source)
{
    const auto* picture = dynamic_cast<const TAlbumPicture*>(&source);
    if (!picture)
        AssignError(source);
    width_ = picture->width_;
    height_ = picture->height_;
    smallCopy_ = picture->smallCopy_;
    source_ = picture->source_;
    Changed();
}

std::unique_ptr<TGraphic> TAlbumPicture::Clone() const
{
    std::unique_ptr<TAlbumPicture> copy(new TAlbumPicture);
    copy->Assign(*this);
    return copy;
}

QImage TAlbumPicture::ToImage() const
{
    const std::unique_ptr<TJPEGImage> whole = Whole();
    return whole ? whole->ToImage() : smallCopy_;
}

QImage TAlbumPicture::PixelsToDraw(const QPainter&, const QRect&) const
{
    return smallCopy_;
}

} // namespace pictoview
