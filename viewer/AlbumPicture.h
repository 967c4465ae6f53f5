// TAlbumPicture: a picture of the open album as the film strip holds it: its
// size and a small copy for the thumbnail, not its data, so that an album
// far larger than memory opens. Drawing it draws the small copy and reads
// nothing: reading an entry pumps the message queue, which no paint handler
// may do. Whatever needs the whole picture (the slide show, copying, saving,
// printing) asks for it (Whole) before it shows or uses it; that reads the
// entry from the album again through the source the picture was made with.
// Once the album is closed, the source gives nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QSize>

#include "pictures/Graphics.h"
#include "pictures/Jpeg.h"

namespace pictoview {

// The entry's JPEG bytes as the album was opened with them; empty when the
// album is closed. Raises when they cannot be read again.
using TAlbumPictureSource = std::function<std::vector<std::uint8_t>()>;

class TAlbumPicture : public TGraphic {
public:
    // picture: the entry as loaded (decoded at a small scale); its small copy
    // is kept, the rest let go.
    TAlbumPicture(const TJPEGImage& picture, TAlbumPictureSource source);

    std::string ClassName() const override { return "TAlbumPicture"; }
    bool Empty() const override { return width_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }

    // Its pixels come from the album: loading raises EInvalidGraphic.
    void LoadFromStream(TStream& stream) override;
    // The entry's JPEG bytes as they are; EInvalidGraphic once the album is
    // closed.
    void SaveToStream(TStream& stream) override;
    void Assign(const TGraphic& source) override;
    std::unique_ptr<TGraphic> Clone() const override;
    // The whole picture at full size, read again from the album.
    QImage ToImage() const override;
    // The whole picture, read again from the album; nullptr once the album
    // is closed. The read may process waiting messages.
    std::unique_ptr<TJPEGImage> Whole() const;

    // The longest side of the small copy.
    static constexpr int SmallCopySide = 256;

protected:
    // The small copy, whatever the target.
    QImage PixelsToDraw(const QPainter& painter, const QRect& target) const override;

private:
    TAlbumPicture() = default;

    int width_ = 0;
    int height_ = 0;
    QImage smallCopy_;
    std::shared_ptr<const TAlbumPictureSource> source_;
};

} // namespace pictoview
