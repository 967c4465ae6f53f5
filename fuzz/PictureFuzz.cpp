// Feeds bytes to the picture loader their content names (EMF, WMF, JPEG,
// ICO, else BMP) and renders what loads: drawn into a small image, and whole
// through ToImage when the picture is small. Loaders refuse headers that
// claim giant pictures, so no input makes a giant allocation.
#include <cstddef>
#include <cstdint>
#include <memory>

#include <QGuiApplication>
#include <QPainter>

#include "pictures/Graphics.h"
#include "pictures/Jpeg.h"

namespace {

constexpr std::int64_t kMaxWholeRender = 256 * 256;

std::unique_ptr<TGraphic> GraphicForContent(const std::uint8_t* data, std::size_t size)
{
    const auto opensWith = [data, size](std::initializer_list<std::uint8_t> prefix) {
        return size >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data);
    };
    if (opensWith({0xFF, 0xD8}))
        return std::make_unique<TJPEGImage>();
    if (opensWith({0, 0, 1, 0}))
        return std::make_unique<TIcon>();
    if (opensWith({'B', 'M'}))
        return std::make_unique<TBitmap>();
    return std::make_unique<TMetafile>();
}

}  // namespace

// Text in metafiles needs the application's fonts.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto graphic = GraphicForContent(data, size);
    TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        graphic->LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    QImage small(96, 96, QImage::Format_ARGB32_Premultiplied);
    small.fill(Qt::transparent);
    {
        QPainter painter(&small);
        graphic->Draw(painter, small.rect());
    }
    if (std::int64_t(graphic->Width()) * graphic->Height() <= kMaxWholeRender)
        graphic->ToImage();
    return 0;
}
