// TAlbumPicture: a picture of the open album as the film strip holds it: its
// size and a small copy for the thumbnail, not its data, so that an album
// far larger than memory opens. Whatever needs the whole picture (the slide
// show's full-screen drawing, copying, saving, printing) reads its entry
// from the album again through the source it was made with; once the album
// is closed, that source gives nothing and the picture draws its small copy.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QSize>

#include "Graphics.h"
#include "Jpeg.h"

namespace pictoview {

// The entry's JPEG bytes as the album holds them now; empty when the album
// is closed.
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

    // The longest side of the small copy.
    static constexpr int SmallCopySide = 256;

protected:
    // The small copy while it covers the target; else the picture read again,
    // decoded at the smallest scale that covers it (kept for repaints).
    QImage PixelsToDraw(const QPainter& painter, const QRect& target) const override;

private:
    TAlbumPicture() = default;
    std::unique_ptr<TJPEGImage> Whole() const;

    int width_ = 0;
    int height_ = 0;
    QImage smallCopy_;
    std::shared_ptr<const TAlbumPictureSource> source_;
    mutable QImage lastDrawn_;
};

} // namespace pictoview
