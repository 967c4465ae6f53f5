#include "pictures/Graphics.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include "TempDir.h"
#include "pictures/Jpeg.h"
#include "pictures/JpegCodec.h"

namespace {

// A picture with structure in both directions, so scaled decodes differ.
QImage TestImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x / 8 + y / 8) % 2 ? 200 : 40));
    return image;
}

std::string Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes.toStdString();
}

// JPEG bytes from our own encoder.
std::string JpegBytes(int width, int height, int quality = 90)
{
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(quality);
    jpeg.Assign(TBitmap(TestImage(width, height)));
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    return stream.Text();
}

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

void LoadJpeg(TJPEGImage& jpeg, const std::string& bytes)
{
    TMemoryStream stream(Bytes(bytes));
    jpeg.LoadFromStream(stream);
}

// The bytes with an Exif segment carrying the orientation spliced in after
// the start marker, its TIFF data in big- or little-endian order.
std::string WithExifOrientation(const std::string& jpeg, int orientation, bool bigEndian)
{
    const auto u16 = [bigEndian](int v) {
        const char high = static_cast<char>(v >> 8), low = static_cast<char>(v & 0xFF);
        return bigEndian ? std::string{high, low} : std::string{low, high};
    };
    const auto u32 = [&u16, bigEndian](int v) { return bigEndian ? u16(0) + u16(v) : u16(v) + u16(0); };
    const std::string tiff = (bigEndian ? "MM" : "II") + u16(42) + u32(8) + u16(1) +
                             u16(0x0112) + u16(3) + u32(1) + u16(orientation) + u16(0) + u32(0);
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    const int length = static_cast<int>(body.size()) + 2;
    const std::string segment = std::string("\xFF\xE1") + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF);
    return jpeg.substr(0, 2) + segment + body + jpeg.substr(2);
}

}  // namespace

TEST(JpegImage, ExifOrientationShowsThePhotoUpright)
{
    // A 3 x 2 photo, black but for its first stored pixel.
    QImage stored(3, 2, QImage::Format_RGB888);
    stored.fill(Qt::black);
    stored.setPixel(0, 0, qRgb(255, 255, 255));
    TJPEGImage encoder;
    encoder.SetCompressionQuality(100);
    encoder.Assign(TBitmap(stored));
    TMemoryStream plain;
    encoder.SaveToStream(plain);

    struct Case {
        int orientation;
        QSize size;
        QPoint white;
    };
    const Case cases[] = {
        {1, {3, 2}, {0, 0}}, {2, {3, 2}, {2, 0}}, {3, {3, 2}, {2, 1}}, {4, {3, 2}, {0, 1}},
        {5, {2, 3}, {0, 0}}, {6, {2, 3}, {1, 0}}, {7, {2, 3}, {1, 2}}, {8, {2, 3}, {0, 2}},
        {9, {3, 2}, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        const std::string bytes = WithExifOrientation(plain.Text(), c.orientation, c.orientation % 2);
        TJPEGImage jpeg;
        LoadJpeg(jpeg, bytes);
        EXPECT_EQ(QSize(jpeg.Width(), jpeg.Height()), c.size);
        const QImage upright = jpeg.ToImage();
        ASSERT_EQ(upright.size(), c.size);
        for (int y = 0; y < c.size.height(); ++y)
            for (int x = 0; x < c.size.width(); ++x)
                EXPECT_EQ(qGray(upright.pixel(x, y)) > 128, QPoint(x, y) == c.white) << x << "," << y;
        QImage drawn(c.size, QImage::Format_RGB32);
        {
            QPainter painter(&drawn);
            jpeg.Draw(painter, drawn.rect());
        }
        EXPECT_GT(qGray(drawn.pixel(c.white)), 128);
        TMemoryStream saved;
        jpeg.SaveToStream(saved);
        EXPECT_EQ(saved.Text(), bytes);
    }
}

TEST(JpegImage, DamagedExifDataLeavesThePhotoAsStored)
{
    const std::string plain = JpegBytes(30, 20);
    std::string badDirectory = WithExifOrientation(plain, 6, true);
    badDirectory[2 + 2 + 2 + 6 + 4 + 3] = '\x7F';  // IFD0 far past the segment
    std::string badLength = WithExifOrientation(plain, 6, true);
    badLength[4] = '\x7F';  // segment longer than the file
    for (const std::string& bytes : {badDirectory, badLength}) {
        TJPEGImage jpeg;
        try {
            LoadJpeg(jpeg, bytes);
        } catch (const EJPEG&) {
            continue;  // libjpeg may refuse the broken segment itself
        }
        EXPECT_EQ(jpeg.Width(), 30);
    }
}

TEST(JpegImage, SavesTheLoadedBytesUnchanged)
{
    TempDir dir;
    const std::string original = JpegBytes(300, 200);
    const std::string source = dir.Write("photo.jpg", original);
    TPicture picture;
    picture.LoadFromFile(source);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 300);
    EXPECT_EQ(picture.Height(), 200);

    picture.SaveToFile(dir.File("copy.jpg"));
    EXPECT_EQ(ReadFileBytes(dir.File("copy.jpg")), original);
    TMemoryStream stream;
    picture.Graphic()->SaveToStream(stream);
    EXPECT_EQ(stream.Text(), original);

    TPicture copy;
    copy.Assign(picture);
    TMemoryStream copied;
    copy.Graphic()->SaveToStream(copied);
    EXPECT_EQ(copied.Text(), original);
}

TEST(JpegImage, EncodesAtItsQualityAndDecodesFaithfully)
{
    const QImage source = TestImage(160, 120);
    const std::string high = JpegBytes(160, 120, 95);
    const std::string low = JpegBytes(160, 120, 10);
    EXPECT_LT(low.size(), high.size());

    for (const auto& [bytes, tolerance] : {std::pair{high, 8.0}, std::pair{low, 40.0}}) {
        TJPEGImage jpeg;
        LoadJpeg(jpeg, bytes);
        const QImage decoded = jpeg.ToImage();
        ASSERT_EQ(decoded.size(), source.size());
        double error = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x)
                error += std::abs(qGreen(decoded.pixel(x, y)) - qGreen(source.pixel(x, y)));
        EXPECT_LT(error / (160 * 120), tolerance);
        // Qt's own JPEG reader is the peer that must read what we write.
        QImage peer;
        EXPECT_TRUE(peer.loadFromData(QByteArray::fromStdString(bytes), "JPG"));
        EXPECT_EQ(peer.size(), source.size());
    }
}

TEST(JpegImage, ReadsJpegsOfAnotherEncoder)
{
    const std::string bytes = Encoded(TestImage(64, 48), "JPG");
    TJPEGImage jpeg;
    LoadJpeg(jpeg, bytes);
    EXPECT_EQ(jpeg.Width(), 64);
    EXPECT_EQ(jpeg.Height(), 48);
    const QImage gray = TestImage(64, 48).convertToFormat(QImage::Format_Grayscale8);
    LoadJpeg(jpeg, Encoded(gray, "JPG"));
    EXPECT_EQ(jpeg.ToImage().size(), QSize(64, 48));
}

TEST(JpegScale, SmallestScaleThatCoversTheTarget)
{
    struct Case {
        QSize source, target;
        int numerator;
    };
    const Case cases[] = {
        {{4000, 3000}, {103, 77}, 1},   {{4000, 3000}, {500, 375}, 1},  {{4000, 3000}, {501, 375}, 2},
        {{640, 480}, {106, 80}, 2},     {{640, 480}, {80, 60}, 1},      {{640, 480}, {81, 60}, 2},
        {{640, 480}, {400, 300}, 5},    {{640, 480}, {560, 420}, 7},    {{640, 480}, {561, 420}, 8},
        {{640, 480}, {640, 480}, 8},    {{640, 480}, {1280, 960}, 8},   {{1001, 1}, {126, 1}, 1},
        {{480, 640}, {80, 106}, 2},     {{1000, 1000}, {300, 300}, 3},  {{8, 8}, {1, 1}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source.width() << "x" << c.source.height() << " -> "
                                        << c.target.width() << "x" << c.target.height());
        EXPECT_EQ(JpegScaleNumerator(c.source, c.target), c.numerator);
    }
}

TEST(JpegScale, LibjpegProducesTheSizesWePlanFor)
{
    const auto data = Bytes(JpegBytes(333, 219));
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(DecodeJpeg(data, n).size(), JpegScaledSize(QSize(333, 219), n));
    }
}

TEST(JpegImage, ThumbnailsHoldOnlyReducedPixels)
{
    TJPEGImage jpeg;
    LoadJpeg(jpeg, JpegBytes(1600, 1200));
    EXPECT_EQ(jpeg.DecodedSize(), QSize(200, 150));

    const auto drawInto = [&jpeg](QSize size) {
        QImage target(size, QImage::Format_RGB32);
        target.fill(Qt::black);
        QPainter painter(&target);
        jpeg.Draw(painter, QRect(QPoint(0, 0), size));
        return target;
    };
    const QImage thumbnail = drawInto({100, 75});
    EXPECT_EQ(jpeg.DecodedSize(), QSize(200, 150));
    const QRgb corner = thumbnail.pixel(99, 74);
    EXPECT_GT(qRed(corner), 200);
    EXPECT_GT(qGreen(corner), 200);

    drawInto({300, 225});
    EXPECT_EQ(jpeg.DecodedSize(), QSize(400, 300));
    drawInto({1600, 1200});
    EXPECT_EQ(jpeg.DecodedSize(), QSize(1600, 1200));
    drawInto({100, 75});
    EXPECT_EQ(jpeg.DecodedSize(), QSize(200, 150));
}

TEST(JpegImage, DamagedDataRaisesAndLeavesThePictureAsItWas)
{
    const std::string good = JpegBytes(200, 150);
    const std::string cases[] = {
        "",
        "garbage, not a picture at all",
        good.substr(0, 2),
        good.substr(0, 100),
        good.substr(0, good.size() / 2),
        good.substr(0, good.size() - 2),
        std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\xFF\xFF\xFF\xFF\x03", 12) + std::string(40, '\x11'),
        good.substr(0, good.size() / 2) + std::string(good.size() / 2, '\xA5'),
    };
    TempDir dir;
    TPicture picture;
    picture.LoadFromFile(dir.Write("good.jpg", good));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        TJPEGImage jpeg;
        TMemoryStream stream(Bytes(cases[i]));
        EXPECT_THROW(jpeg.LoadFromStream(stream), EJPEG);
        EXPECT_TRUE(jpeg.Empty());
        try {
            picture.LoadFromFile(dir.Write("bad.jpg", cases[i]));
            ADD_FAILURE() << "no error";
        } catch (const EJPEG& e) {
            EXPECT_EQ(std::string(e.what()).rfind("JPEG error: ", 0), 0u) << e.what();
        }
        EXPECT_EQ(picture.Width(), 200);
    }
}

// Damage anywhere, header or data: the load either succeeds or raises EJPEG.
TEST(JpegImage, SurvivesDamageAnywhere)
{
    const std::string good = JpegBytes(48, 40);
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 400; ++round) {
        std::string damaged = good;
        for (int flips = 1 + round % 4; flips > 0; --flips)
            damaged[next() % damaged.size()] = static_cast<char>(next() >> 24);
        if (round % 3 == 0)
            damaged.resize(next() % damaged.size());
        TJPEGImage jpeg;
        try {
            LoadJpeg(jpeg, damaged);
            EXPECT_FALSE(jpeg.ToImage().isNull());
        } catch (const EJPEG&) {
            EXPECT_TRUE(jpeg.Empty());
        }
    }
}

TEST(JpegImage, TakesBitmapPixelsAndCompressesThem)
{
    TJPEGImage jpeg;
    int changes = 0;
    jpeg.OnChange = [&changes] { ++changes; };
    jpeg.Assign(TBitmap(TestImage(90, 60)));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(jpeg.Width(), 90);
    EXPECT_EQ(jpeg.DecodedSize(), QSize(90, 60));
    jpeg.Compress();
    EXPECT_TRUE(jpeg.DecodedSize().isEmpty());
    TMemoryStream saved;
    jpeg.SaveToStream(saved);
    TJPEGImage reloaded;
    LoadJpeg(reloaded, saved.Text());
    EXPECT_EQ(reloaded.Width(), 90);
    EXPECT_EQ(reloaded.Height(), 60);

    TIcon icon;
    try {
        icon.Assign(TBitmap(TestImage(4, 4)));
        ADD_FAILURE() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TBitmap to a TIcon");
    }
    EXPECT_THROW(jpeg.Assign(icon), EInvalidGraphic);
}

TEST(Bitmap, LoadsAndSavesBmpFiles)
{
    TempDir dir;
    const QImage source = TestImage(7, 5);
    TPicture picture;
    picture.LoadFromFile(dir.Write("small.BMP", Encoded(source, "BMP")));
    auto* bitmap = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), 7);
    const QRgb rgb = source.pixel(3, 2);
    EXPECT_EQ(bitmap->Canvas().Pixels(3, 2), TColor(qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16));
    EXPECT_EQ(bitmap->Canvas().Pixels(7, 0), -1);

    picture.SaveToFile(dir.File("again.bmp"));
    TPicture again;
    again.LoadFromFile(dir.File("again.bmp"));
    EXPECT_EQ(again.Graphic()->ToImage().convertToFormat(QImage::Format_RGB888), source);
    EXPECT_THROW(again.LoadFromFile(dir.Write("bad.bmp", "BM garbage")), EInvalidGraphic);
}

TEST(Bitmap, FormatsQtReadsLoadAsBitmaps)
{
    TempDir dir;
    const QImage source = TestImage(9, 6);
    for (const std::string format : {"png", "gif", "tiff", "webp"}) {
        SCOPED_TRACE(format);
        if (!QImageWriter::supportedImageFormats().contains(format.c_str()))
            continue;
        TPicture picture;
        picture.LoadFromFile(dir.Write("picture." + format, Encoded(source, format.c_str())));
        ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
        EXPECT_EQ(picture.Width(), 9);
        EXPECT_EQ(picture.Height(), 6);
    }
    TPicture png;
    png.LoadFromFile(dir.Write("exact.PNG", Encoded(source, "png")));
    EXPECT_EQ(png.Graphic()->ToImage().convertToFormat(QImage::Format_RGB888), source);
}

TEST(Bitmap, CanvasDrawsOtherGraphicsAndSetsPixels)
{
    TJPEGImage jpeg;
    LoadJpeg(jpeg, JpegBytes(40, 30));
    TBitmap bitmap;
    bitmap.SetSize(40, 30);
    bitmap.SetPixelFormat(pf24bit);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    EXPECT_EQ(bitmap.Canvas().Pixels(0, 0), 0xFFFFFF);
    bitmap.Canvas().Draw(0, 0, jpeg);
    EXPECT_LT(qRed(static_cast<QRgb>(bitmap.Canvas().Pixels(0, 0))), 40);
    bitmap.Canvas().SetPixels(1, 2, 0x0000FF);
    EXPECT_EQ(bitmap.Canvas().Pixels(1, 2), 0x0000FF);
    EXPECT_EQ(qRed(bitmap.Image().pixel(1, 2)), 255);
}

TEST(Icon, LoadsIcoFilesAndKeepsTheirBytes)
{
    TempDir dir;
    const std::string bytes = Encoded(TestImage(32, 32).convertToFormat(QImage::Format_ARGB32), "ICO");
    TPicture picture;
    picture.LoadFromFile(dir.Write("app.ico", bytes));
    ASSERT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 32);
    picture.SaveToFile(dir.File("copy.ico"));
    EXPECT_EQ(ReadFileBytes(dir.File("copy.ico")), bytes);
    EXPECT_THROW(picture.LoadFromFile(dir.Write("bad.ico", std::string("\0\0\1\0\1\0", 6))), EInvalidGraphic);
}

TEST(Graphic, BitmapsAndIconsDrawTheirPixels)
{
    TempDir dir;
    const QImage source = TestImage(16, 16).convertToFormat(QImage::Format_ARGB32);
    for (const std::string format : {"bmp", "ico"}) {
        SCOPED_TRACE(format);
        TPicture picture;
        picture.LoadFromFile(dir.Write("picture." + format, Encoded(source, format.c_str())));
        QImage drawn(16, 16, QImage::Format_ARGB32);
        drawn.fill(Qt::transparent);
        {
            QPainter painter(&drawn);
            picture.Draw(painter, drawn.rect());
        }
        EXPECT_EQ(drawn, picture.Graphic()->ToImage().convertToFormat(QImage::Format_ARGB32));
    }
}

// A file is read by what it holds: the name is no guide to a picture the
// scanner saved as a bitmap under ".jpg", or to one renamed by hand.
TEST(Picture, ChoosesTheKindByTheFilesBytesWhateverItsName)
{
    TempDir dir;
    const QImage source = TestImage(9, 6);
    struct Case {
        std::string name, bytes;
        bool (*kind)(const TGraphic*);
        std::string saved; // how the picture's own format begins
    };
    const auto jpeg = [](const TGraphic* g) { return dynamic_cast<const TJPEGImage*>(g) != nullptr; };
    const auto bitmap = [](const TGraphic* g) { return dynamic_cast<const TBitmap*>(g) != nullptr; };
    const auto icon = [](const TGraphic* g) { return dynamic_cast<const TIcon*>(g) != nullptr; };
    std::vector<Case> cases = {
        {"scan1.jpg", Encoded(source, "BMP"), bitmap, "BM"},
        {"photo.bmp", JpegBytes(9, 6), jpeg, "\xFF\xD8"},
        {"photo.xcf", JpegBytes(9, 6), jpeg, "\xFF\xD8"},
        {"noextension", Encoded(source, "BMP"), bitmap, "BM"},
        {"dir.jpg/photo", JpegBytes(9, 6), jpeg, "\xFF\xD8"},
        {"app.jpeg", Encoded(source.convertToFormat(QImage::Format_ARGB32), "ICO"), icon, std::string("\0\0\1\0", 4)},
        {"picture.jpg", Encoded(source, "png"), bitmap, "BM"},
    };
    for (const std::string format : {"gif", "tiff", "webp"})
        if (QImageWriter::supportedImageFormats().contains(format.c_str()))
            cases.push_back({"picture." + format + ".jpg", Encoded(source, format.c_str()), bitmap, "BM"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPicture picture;
        picture.LoadFromFile(dir.Write(c.name, c.bytes));
        EXPECT_TRUE(c.kind(picture.Graphic()));
        EXPECT_EQ(picture.Width(), 9);
        EXPECT_EQ(picture.Height(), 6);
        picture.SaveToFile(dir.File("saved.jpg"));
        EXPECT_EQ(ReadFileBytes(dir.File("saved.jpg")).substr(0, c.saved.size()), c.saved) << "its own format";
    }
}

// Bytes that begin with no picture's signature are read by the extension,
// and told as damaged by the kind it names.
TEST(Picture, ChoosesTheKindByExtensionWhereTheBytesSayNothing)
{
    TempDir dir;
    const std::string emf = std::string("\1\0\0\0", 4) + std::string(36, '\0') + " EMF" + std::string(40, '\0');
    const std::string wmf = std::string("\xD7\xCD\xC6\x9A", 4) + std::string(40, '\0');
    struct Case {
        std::string name, bytes, message;
    };
    const Case cases[] = {
        {"photo.xcf", "not a picture", "Unknown picture file extension (.xcf)"},
        {"photo.png", "not a picture", "Invalid or damaged bitmap"},
        {"noextension", "not a picture", "Unknown picture file extension ()"},
        {"dir.jpg/photo", "not a picture", "Unknown picture file extension ()"},
        {"text.bmp", "BMW and the mountains, 2008", "Invalid or damaged bitmap"},
        {"drawing.emf", emf, "Invalid or damaged metafile: the header is damaged"},
        {"drawing.WMF", wmf, "Invalid or damaged metafile: the header is damaged"},
        {"drawing.wmf", "not a metafile", "Invalid or damaged metafile"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPicture picture;
        int changes = 0;
        picture.OnChange = [&changes] { ++changes; };
        try {
            picture.LoadFromFile(dir.Write(c.name, c.bytes));
            ADD_FAILURE() << "no error";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.what(), c.message);
        }
        EXPECT_EQ(picture.Graphic(), nullptr);
        EXPECT_EQ(changes, 0);
    }
    TPicture picture;
    picture.LoadFromFile(dir.Write("UPPER.JPEG", JpegBytes(8, 4)));
    EXPECT_EQ(picture.Width(), 8);
    EXPECT_THROW(picture.LoadFromFile(dir.File("missing.jpg")), EFOpenError);
}

TEST(Picture, HoldsCopiesAndReportsChanges)
{
    TJPEGImage jpeg;
    LoadJpeg(jpeg, JpegBytes(20, 10));
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&changes] { ++changes; };
    picture.SetGraphic(&jpeg);
    EXPECT_EQ(changes, 1);
    EXPECT_NE(picture.Graphic(), &jpeg);
    EXPECT_EQ(picture.Width(), 20);

    picture.Graphic()->Assign(TBitmap(TestImage(10, 20)));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(picture.Height(), 20);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);

    picture.Bitmap().Assign(jpeg);
    EXPECT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 20);
    picture.SetGraphic(nullptr);
    EXPECT_EQ(picture.Width(), 0);

    TempDir dir;
    picture.SaveToFile(dir.File("nothing.jpg"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("nothing.jpg")));
}

TEST(Picture, FailedSaveLeavesTheOldFile)
{
    TempDir dir;
    TPicture picture;
    picture.LoadFromFile(dir.Write("a.jpg", JpegBytes(8, 8)));
    EXPECT_THROW(picture.SaveToFile(dir.File("no/such/folder/a.jpg")), EFCreateError);
    const std::string old = dir.Write("b.jpg", "old contents");
    picture.SaveToFile(old);
    EXPECT_EQ(ReadFileBytes(old), ReadFileBytes(dir.File("a.jpg")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}
