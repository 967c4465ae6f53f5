// Quarter turns without windows: each pixel lands where it should, four
// turns give the same pixels back, and a JPEG stays a JPEG turned from its
// upright pixels.
#include "PictureRotation.h"

#include <gtest/gtest.h>

#include "pictures/Jpeg.h"

namespace pictomake {

namespace {

// A 3 x 2 bitmap whose every pixel has its own colour.
QImage ThreeByTwo()
{
    QImage image(3, 2, QImage::Format_RGB888);
    for (int v = 0; v < 2; ++v)
        for (int u = 0; u < 3; ++u)
            image.setPixel(u, v, qRgb(40 * u + 10, 100 * v + 20, 7 * (u + 3 * v)));
    return image;
}

QImage Striped(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x / 4 + y / 4) % 2 ? 200 : 40));
    return image;
}

QImage Rgb(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB888);
}

std::unique_ptr<TJPEGImage> LoadedJpeg(const QImage& pixels, int quality)
{
    TJPEGImage encoder;
    encoder.SetCompressionQuality(quality);
    encoder.Assign(TBitmap(pixels));
    TMemoryStream stream;
    encoder.SaveToStream(stream);
    stream.SetPosition(0);
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromStream(stream);
    return jpeg;
}

// The JPEG's bytes with an Exif segment saying the camera was held turned
// (orientation 6: the stored picture is the upright one turned counter-clockwise).
std::unique_ptr<TJPEGImage> TakenTurned(const QImage& stored)
{
    TJPEGImage encoder;
    encoder.SetCompressionQuality(100);
    encoder.Assign(TBitmap(stored));
    TMemoryStream plain;
    encoder.SaveToStream(plain);
    const std::string tiff = std::string("MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 26);
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    const std::string segment = std::string("\xFF\xE1\0", 3) + static_cast<char>(body.size() + 2);
    const std::string bytes = plain.Text().substr(0, 2) + segment + body + plain.Text().substr(2);
    TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromStream(stream);
    return jpeg;
}

struct TurnCase {
    const char* name;
    TQuarterTurn turn;
    // Where source pixel (u, v) of a W x H picture lands.
    QPoint (*landing)(int u, int v, int W, int H);
};

const TurnCase TurnCases[] = {
    {"clockwise", TQuarterTurn::Clockwise, [](int u, int v, int, int H) { return QPoint(H - 1 - v, u); }},
    {"counterclockwise", TQuarterTurn::CounterClockwise,
     [](int u, int v, int W, int) { return QPoint(v, W - 1 - u); }},
};

std::unique_ptr<TBitmap> Rotate(const TBitmap& bitmap, TQuarterTurn turn)
{
    return turn == TQuarterTurn::Clockwise ? RotateBitmap90(bitmap) : RotateBitmap270(bitmap);
}

} // namespace

TEST(PictureRotation, EachPixelLandsAQuarterTurnOn)
{
    const QImage source = ThreeByTwo();
    for (const TurnCase& c : TurnCases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<TBitmap> turned = Rotate(TBitmap(source), c.turn);
        ASSERT_EQ(turned->Width(), 2);
        ASSERT_EQ(turned->Height(), 3);
        EXPECT_EQ(turned->PixelFormat(), pf24bit);
        for (int v = 0; v < 2; ++v)
            for (int u = 0; u < 3; ++u) {
                const QPoint at = c.landing(u, v, 3, 2);
                EXPECT_EQ(turned->Image().pixel(at), source.pixel(u, v)) << u << "," << v;
            }
    }
}

TEST(PictureRotation, TheTopRowIsAColumnOfTheSource)
{
    const QImage source = ThreeByTwo();
    const QImage clockwise = RotateBitmap90(TBitmap(source))->Image();
    EXPECT_EQ(clockwise.pixel(0, 0), source.pixel(0, 1)); // first column, bottom to top
    EXPECT_EQ(clockwise.pixel(1, 0), source.pixel(0, 0));
    const QImage counter = RotateBitmap270(TBitmap(source))->Image();
    EXPECT_EQ(counter.pixel(0, 0), source.pixel(2, 0)); // last column, top to bottom
    EXPECT_EQ(counter.pixel(1, 0), source.pixel(2, 1));
}

TEST(PictureRotation, FourTurnsGiveTheSamePixels)
{
    for (const TurnCase& c : TurnCases) {
        SCOPED_TRACE(c.name);
        const TBitmap bitmap(Striped(37, 21));
        const std::unique_ptr<TJPEGImage> jpeg = LoadedJpeg(Striped(64, 40), 75);
        for (const TGraphic* original : {static_cast<const TGraphic*>(&bitmap), static_cast<const TGraphic*>(jpeg.get())}) {
            SCOPED_TRACE(original->ClassName());
            std::unique_ptr<TGraphic> turned = original->Clone();
            for (int i = 0; i < 4; ++i) {
                turned = TurnedGraphic(*turned, c.turn);
                ASSERT_NE(turned, nullptr);
                EXPECT_EQ(turned->ClassName(), original->ClassName());
            }
            EXPECT_EQ(Rgb(turned->ToImage()), Rgb(original->ToImage()));
        }
    }
}

TEST(PictureRotation, AJpegTurnsItsUprightPixels)
{
    const std::unique_ptr<TJPEGImage> plain = LoadedJpeg(Striped(24, 16), 90);
    const std::unique_ptr<TJPEGImage> takenTurned = TakenTurned(Striped(24, 16));
    ASSERT_EQ(takenTurned->Width(), 16); // shown upright
    for (const TJPEGImage* jpeg : {plain.get(), takenTurned.get()}) {
        SCOPED_TRACE(jpeg->Width());
        const std::unique_ptr<TGraphic> turned = TurnedGraphic(*jpeg, TQuarterTurn::Clockwise);
        const auto* turnedJpeg = dynamic_cast<const TJPEGImage*>(turned.get());
        ASSERT_NE(turnedJpeg, nullptr);
        EXPECT_EQ(turnedJpeg->CompressionQuality(), jpeg->CompressionQuality());
        EXPECT_EQ(turned->Width(), jpeg->Height());
        EXPECT_EQ(Rgb(turned->ToImage()), Rgb(RotateBitmap90(TBitmap(jpeg->ToImage()))->Image()));
    }
}

TEST(PictureRotation, AnEmptyPictureHasNothingToTurn)
{
    EXPECT_EQ(TurnedGraphic(TBitmap(), TQuarterTurn::Clockwise), nullptr);
    EXPECT_EQ(TurnedGraphic(TJPEGImage(), TQuarterTurn::CounterClockwise), nullptr);
}

} // namespace pictomake
