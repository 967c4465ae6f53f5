// The strip's pictures hold a small copy, not the album's data: drawing
// draws the small copy, what needs the whole picture asks for it and reads
// it again, and a closed album leaves the small copy.
#include "AlbumPicture.h"

#include <QPainter>
#include <gtest/gtest.h>

#include "GuiTestApp.h"

namespace pictoview {

namespace {

std::vector<std::uint8_t> JpegOf(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    TJPEGImage jpeg;
    jpeg.Assign(TBitmap(image));
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    return stream.Bytes();
}

TJPEGImage Loaded(const std::vector<std::uint8_t>& bytes)
{
    TMemoryStream stream(bytes);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(stream);
    return jpeg;
}

class AlbumPictureTest : public ::testing::Test {
protected:
    void Draw(const TGraphic& graphic, QSize size)
    {
        QImage target(size, QImage::Format_RGB32);
        QPainter painter(&target);
        graphic.Draw(painter, target.rect());
    }

    TApplication& application = TestApplication();
    const std::vector<std::uint8_t> bytes = JpegOf(1200, 900);
    int reads = 0;
    bool albumOpen = true;
    TAlbumPicture picture{Loaded(bytes), [this] {
                              ++reads;
                              return albumOpen ? bytes : std::vector<std::uint8_t>();
                          }};
};

} // namespace

TEST_F(AlbumPictureTest, ThumbnailsNeedNoRead)
{
    EXPECT_EQ(picture.Width(), 1200);
    EXPECT_EQ(picture.Height(), 900);
    Draw(picture, {100, 75});
    Draw(picture, {256, 192});
    EXPECT_EQ(reads, 0);
}

TEST_F(AlbumPictureTest, DrawingReadsNothingTheWholePictureIsReadWhenAskedFor)
{
    const std::unique_ptr<TGraphic> copy = picture.Clone();
    Draw(*copy, {800, 600});
    EXPECT_EQ(reads, 0) << "a paint never reads the album";
    const std::unique_ptr<TJPEGImage> whole = picture.Whole();
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(whole->ToImage().size(), QSize(1200, 900));
    TMemoryStream saved;
    picture.SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), bytes) << "the entry's own bytes";
}

TEST_F(AlbumPictureTest, AClosedAlbumLeavesTheSmallCopy)
{
    albumOpen = false;
    EXPECT_EQ(picture.Whole(), nullptr);
    Draw(picture, {800, 600});
    EXPECT_EQ(picture.ToImage().width(), TAlbumPicture::SmallCopySide);
    TMemoryStream saved;
    EXPECT_THROW(picture.SaveToStream(saved), EInvalidGraphic);
}

} // namespace pictoview
