// Metafiles made with libuemf's writer, loaded and drawn by our player; and
// the same files damaged in every way a byte can damage them.
#include "pictures/Graphics.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <QPainter>

#include <uemf.h>
#include <uwmf.h>

#include "GuiTestApp.h"
#include "LittleEndian.h"
#include "TempDir.h"

namespace {

using RecordList = std::vector<char*>;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// The drawing both fixtures hold, in a 100 x 100 picture: a blue rectangle,
// a green ellipse, a thick black polyline, a text, and last a red polygon.
const QPoint kInRectangle(70, 25), kInEllipse(25, 70), kOnPolyline(70, 60), kInPolygon(25, 25);
const QRect kTextArea(50, 70, 45, 28);

std::string EmfFixture(const TempDir& dir)
{
    const std::string name = dir.File("fixture.emf");
    EMFTRACK* et = nullptr;
    EMFHANDLES* eht = nullptr;
    emf_start(name.c_str(), 4096, 4096, &et);
    htable_create(64, 64, &eht);
    const auto add = [et](char* record) { emf_append(reinterpret_cast<U_ENHMETARECORD*>(record), et, U_REC_FREE); };
    const U_RECTL bounds = rectl_set(pointl_set(0, 0), pointl_set(99, 99));
    const U_RECTL frame = rectl_set(pointl_set(0, 0), pointl_set(2646, 2646));  // 100 pixels at 96 dpi, in 0.01 mm
    add(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, sizel_set(960, 960), sizel_set(254, 254), 0));
    add(U_EMRSETMAPMODE_set(U_MM_TEXT));
    add(U_EMRSETBKMODE_set(U_TRANSPARENT));
    uint32_t blue = 0, green = 0, red = 0, pen = 0;
    add(createbrushindirect_set(&blue, eht, logbrush_set(U_BS_SOLID, colorref_set(0, 0, 255), 0)));
    add(selectobject_set(blue, eht));
    add(U_EMRRECTANGLE_set(rectl_set(pointl_set(50, 10), pointl_set(90, 40))));
    add(createbrushindirect_set(&green, eht, logbrush_set(U_BS_SOLID, colorref_set(0, 255, 0), 0)));
    add(selectobject_set(green, eht));
    add(U_EMRELLIPSE_set(rectl_set(pointl_set(10, 50), pointl_set(40, 90))));
    add(createpen_set(&pen, eht, logpen_set(U_PS_SOLID, point_set(5, 5), colorref_set(0, 0, 0))));
    add(selectobject_set(pen, eht));
    const U_POINT16 line[] = {point16_set(50, 60), point16_set(90, 60)};
    add(U_EMRPOLYLINE16_set(bounds, 2, line));
    add(U_EMRSETTEXTCOLOR_set(colorref_set(0, 0, 0)));
    uint16_t text[] = {'H', 'i', 'H', 'i', 0};
    uint32_t dx[] = {10, 10, 10, 10};
    char* textRecord = emrtext_set(pointl_set(50, 70), 4, 2, text, 0, bounds, dx);
    add(U_EMREXTTEXTOUTW_set(bounds, U_GM_COMPATIBLE, 1, 1, reinterpret_cast<PU_EMRTEXT>(textRecord)));
    std::free(textRecord);
    add(createbrushindirect_set(&red, eht, logbrush_set(U_BS_SOLID, colorref_set(255, 0, 0), 0)));
    add(selectobject_set(red, eht));
    add(selectobject_set(U_NULL_PEN, eht));
    const U_POINT16 square[] = {point16_set(10, 10), point16_set(40, 10), point16_set(40, 40), point16_set(10, 40)};
    add(U_EMRPOLYGON16_set(bounds, 4, square));
    add(U_EMREOF_set(0, nullptr, et));
    emf_finish(et, eht);
    emf_free(&et);
    htable_free(&eht);
    return ReadFileBytes(name);
}

std::string WmfFixture(const TempDir& dir, bool placeable)
{
    const std::string name = dir.File("fixture.wmf");
    WMFTRACK* wt = nullptr;
    WMFHANDLES* wht = nullptr;
    wmf_start(name.c_str(), 4096, 4096, &wt);
    wmf_htable_create(64, 64, &wht);
    const auto add = [wt](char* record) { wmf_append(reinterpret_cast<U_METARECORD*>(record), wt, U_REC_FREE); };
    U_PAIRF inches{100.0f / 96, 100.0f / 96};
    wmf_header_append(reinterpret_cast<U_METARECORD*>(U_WMRHEADER_set(placeable ? &inches : nullptr, 96)), wt, U_REC_FREE);
    add(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
    add(U_WMRSETWINDOWORG_set(point16_set(0, 0)));
    add(U_WMRSETWINDOWEXT_set(point16_set(100, 100)));
    add(U_WMRSETBKMODE_set(U_TRANSPARENT));
    uint32_t blue = 0, green = 0, red = 0, pen = 0, nullPen = 0;
    add(wcreatebrushindirect_set(&blue, wht, U_WLOGBRUSH_set(U_BS_SOLID, colorref_set(0, 0, 255), 0)));
    add(wselectobject_set(blue, wht));
    add(U_WMRRECTANGLE_set(U_RECT16_set(point16_set(50, 10), point16_set(90, 40))));
    add(wcreatebrushindirect_set(&green, wht, U_WLOGBRUSH_set(U_BS_SOLID, colorref_set(0, 255, 0), 0)));
    add(wselectobject_set(green, wht));
    add(U_WMRELLIPSE_set(U_RECT16_set(point16_set(10, 50), point16_set(40, 90))));
    add(wcreatepenindirect_set(&pen, wht, U_PEN_set(U_PS_SOLID, 5, colorref_set(0, 0, 0))));
    add(wselectobject_set(pen, wht));
    const U_POINT16 line[] = {point16_set(50, 60), point16_set(90, 60)};
    add(U_WMRPOLYLINE_set(2, line));
    add(U_WMRSETTEXTCOLOR_set(colorref_set(0, 0, 0)));
    char text[] = "HiHi";
    add(U_WMRTEXTOUT_set(point16_set(50, 70), text));
    add(wcreatebrushindirect_set(&red, wht, U_WLOGBRUSH_set(U_BS_SOLID, colorref_set(255, 0, 0), 0)));
    add(wselectobject_set(red, wht));
    add(wcreatepenindirect_set(&nullPen, wht, U_PEN_set(U_PS_NULL, 1, colorref_set(0, 0, 0))));
    add(wselectobject_set(nullPen, wht));
    const U_POINT16 square[] = {point16_set(10, 10), point16_set(40, 10), point16_set(40, 40), point16_set(10, 40)};
    add(U_WMRPOLYGON_set(4, square));
    add(U_WMREOF_set());
    wmf_finish(wt);
    wmf_free(&wt);
    wmf_htable_free(&wht);
    return ReadFileBytes(name);
}

TMetafile Loaded(const std::string& bytes)
{
    TMetafile metafile;
    TMemoryStream stream(Bytes(bytes));
    metafile.LoadFromStream(stream);
    return metafile;
}

bool HasInk(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

// Offsets of the records after the headers: EMF sizes in bytes at +4, WMF
// sizes in words at +0.
std::vector<std::size_t> RecordOffsets(const std::string& b, bool enhanced, std::size_t start)
{
    std::vector<std::size_t> offsets;
    for (std::size_t at = start; at + 8 <= b.size();) {
        offsets.push_back(at);
        const auto* p = reinterpret_cast<const std::uint8_t*>(b.data() + at);
        const std::size_t size = enhanced ? GetU32(p + 4) : std::size_t(GetU32(p)) * 2;
        if (size == 0)
            break;
        at += size;
    }
    return offsets;
}

struct Fixture {
    std::string name;
    std::string bytes;
    bool enhanced;
    std::size_t recordsStart;
};

// Text needs the application's fonts.
std::vector<Fixture> Fixtures(const TempDir& dir)
{
    TestApplication();
    return {{"emf", EmfFixture(dir), true, 0},
            {"placeable wmf", WmfFixture(dir, true), false, 40},
            {"plain wmf", WmfFixture(dir, false), false, 18}};
}

}  // namespace

TEST(Metafile, DrawsTheShapesOfEachKind)
{
    TempDir dir;
    for (const auto& f : Fixtures(dir)) {
        SCOPED_TRACE(f.name);
        const TMetafile metafile = Loaded(f.bytes);
        EXPECT_EQ(metafile.Enhanced(), f.enhanced);
        EXPECT_EQ(metafile.Width(), 100);
        EXPECT_EQ(metafile.Height(), 100);
        const QImage image = metafile.ToImage();
        ASSERT_EQ(image.size(), QSize(100, 100));
        EXPECT_EQ(image.pixel(kInRectangle), qRgb(0, 0, 255));
        EXPECT_EQ(image.pixel(kInEllipse), qRgb(0, 255, 0));
        EXPECT_EQ(image.pixel(kInPolygon), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(kOnPolyline), qRgb(0, 0, 0));
        EXPECT_EQ(qAlpha(image.pixel(11, 51)), 0) << "outside the ellipse";
        EXPECT_EQ(qAlpha(image.pixel(5, 95)), 0);
        EXPECT_TRUE(HasInk(image, kTextArea));

        // Drawn twice as large, the shapes stay where they belong.
        QImage large(200, 200, QImage::Format_ARGB32);
        large.fill(Qt::white);
        {
            QPainter painter(&large);
            metafile.Draw(painter, large.rect());
        }
        EXPECT_EQ(large.pixel(kInPolygon * 2), qRgb(255, 0, 0));
        EXPECT_EQ(large.pixel(kInRectangle * 2), qRgb(0, 0, 255));

        TMemoryStream saved;
        const_cast<TMetafile&>(metafile).SaveToStream(saved);
        EXPECT_EQ(saved.Text(), f.bytes);
    }
}

TEST(Metafile, PictureLoadsMetafilesByExtension)
{
    TempDir dir;
    TestApplication();
    TPicture picture;
    picture.LoadFromFile(dir.Write("drawing.EMF", EmfFixture(dir)));
    ASSERT_NE(dynamic_cast<TMetafile*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 100);
    picture.LoadFromFile(dir.Write("drawing.wmf", WmfFixture(dir, true)));
    EXPECT_FALSE(dynamic_cast<TMetafile&>(*picture.Graphic()).Enhanced());
    TBitmap bitmap;
    EXPECT_THROW(bitmap.Assign(*picture.Graphic()), EInvalidGraphic);
}

// A metafile under another picture's extension is still read as one.
TEST(Metafile, PictureLoadsMetafilesByWhatTheFileHolds)
{
    TempDir dir;
    TestApplication();
    const struct {
        std::string name, bytes;
        bool enhanced;
    } cases[] = {
        {"drawing.jpg", EmfFixture(dir), true},
        {"drawing.bmp", WmfFixture(dir, true), false},
        {"drawing", WmfFixture(dir, false), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPicture picture;
        picture.LoadFromFile(dir.Write(c.name, c.bytes));
        const auto* metafile = dynamic_cast<const TMetafile*>(picture.Graphic());
        ASSERT_NE(metafile, nullptr);
        EXPECT_EQ(metafile->Enhanced(), c.enhanced);
        EXPECT_GT(picture.Width(), 0);
    }
}

TEST(Metafile, DamageEndsTheDrawingWhereItStarts)
{
    TempDir dir;
    for (const auto& f : Fixtures(dir)) {
        SCOPED_TRACE(f.name);
        const auto offsets = RecordOffsets(f.bytes, f.enhanced, f.recordsStart);
        ASSERT_GE(offsets.size(), 3u);
        // The polygon is the record before the end; its count (EMF: after the
        // bounds; WMF: first parameter) claims far more points than it holds,
        // then its size claims far more bytes than the file.
        const std::size_t polygon = offsets[offsets.size() - 2];
        const std::size_t count = f.enhanced ? polygon + 24 : polygon + 6;
        const std::size_t size = f.enhanced ? polygon + 4 : polygon;
        for (const std::size_t field : {count, size}) {
            std::string damaged = f.bytes;
            damaged.replace(field, 4, "\xFF\xFF\xFF\x7F", 4);
            const QImage image = Loaded(damaged).ToImage();
            EXPECT_EQ(image.pixel(kInRectangle), qRgb(0, 0, 255));
            EXPECT_EQ(qAlpha(image.pixel(kInPolygon)), 0);
        }
    }
}

TEST(Metafile, SurvivesDamageAnywhere)
{
    TempDir dir;
    for (const auto& f : Fixtures(dir)) {
        SCOPED_TRACE(f.name);
        std::vector<std::string> damaged;
        for (std::size_t length = 0; length < f.bytes.size(); length += 2)
            damaged.push_back(f.bytes.substr(0, length));
        for (std::size_t at = 0; at + 4 <= f.bytes.size(); at += 2)
            for (const char* word : {"\xFF\xFF\xFF\xFF", "\xFF\x7F\x00\x00", "\x00\x00\x00\x00"}) {
                damaged.push_back(f.bytes);
                damaged.back().replace(at, 4, word, 4);
            }
        int refused = 0;
        for (const std::string& bytes : damaged) {
            try {
                const TMetafile metafile = Loaded(bytes);
                EXPECT_EQ(metafile.ToImage().size(), QSize(metafile.Width(), metafile.Height()));
            } catch (const EInvalidGraphic& e) {
                EXPECT_NE(std::string(e.what()).find("etafile"), std::string::npos) << e.what();
                ++refused;
            }
        }
        EXPECT_GT(refused, 0);
    }
}

TEST(Metafile, AHeaderSpanningTheWholeCoordinateRangeIsRefusedAsTooLarge)
{
    TempDir dir;
    std::string bytes = EmfFixture(dir);
    // The bounds run from the least to the greatest 32-bit coordinate; an
    // empty frame makes them the picture's size.
    bytes.replace(8, 16, std::string("\x00\x00\x00\x80\x00\x00\x00\x00\xFF\xFF\xFF\x7F\x63\x00\x00\x00", 16));
    bytes.replace(24, 16, std::string(16, '\0'));
    try {
        Loaded(bytes);
        FAIL() << "loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
}
