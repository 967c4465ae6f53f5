#include "pictures/Graphics.h"

#include <vector>

#include "pictures/Jpeg.h"
#include "pictures/PictureFormat.h"

namespace {

std::string Extension(const std::string& fileName)
{
    const auto slash = fileName.rfind('/');
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return fileName.substr(dot);
}

// What the bytes at the stream's start are; the extension only where they
// say nothing (a damaged file is then told as damaged by its own kind).
TPictureFormat FormatOfFile(TStream& stream, const std::string& fileName)
{
    std::vector<std::uint8_t> head(PictureSignatureLength);
    head.resize(static_cast<std::size_t>(stream.Read(head.data(), static_cast<std::int64_t>(head.size()))));
    stream.Seek(0, soFromBeginning);
    if (const std::optional<TPictureFormat> format = PictureFormatOf(head))
        return *format;
    const std::string extension = Extension(fileName);
    if (const std::optional<TPictureFormat> format = PictureFormatOfExtension(extension))
        return *format;
    throw EInvalidGraphic("Unknown picture file extension (" + extension + ")");
}

std::unique_ptr<TGraphic> LoadedGraphic(TPictureFormat format, TStream& stream)
{
    std::unique_ptr<TGraphic> graphic;
    switch (format) {
    case TPictureFormat::Jpeg:
        graphic = std::make_unique<TJPEGImage>();
        break;
    case TPictureFormat::Bitmap:
        graphic = std::make_unique<TBitmap>();
        break;
    case TPictureFormat::Icon:
        graphic = std::make_unique<TIcon>();
        break;
    case TPictureFormat::Metafile:
        graphic = std::make_unique<TMetafile>();
        break;
    case TPictureFormat::QtBitmap: {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromAnyFormat(stream);
        return bitmap;
    }
    }
    graphic->LoadFromStream(stream);
    return graphic;
}

}  // namespace

void TPicture::SetGraphic(const TGraphic* graphic)
{
    Hold(graphic ? graphic->Clone() : nullptr);
}

TBitmap& TPicture::Bitmap()
{
    if (!dynamic_cast<TBitmap*>(graphic_.get()))
        Hold(std::make_unique<TBitmap>());
    return static_cast<TBitmap&>(*graphic_);
}

void TPicture::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    Hold(LoadedGraphic(FormatOfFile(stream, fileName), stream));
}

void TPicture::SaveToFile(const std::string& fileName) const
{
    if (graphic_)
        graphic_->SaveToFile(fileName);
}

void TPicture::Draw(QPainter& painter, const QRect& target) const
{
    if (graphic_)
        graphic_->Draw(painter, target);
}

void TPicture::Hold(std::unique_ptr<TGraphic> graphic)
{
    graphic_ = std::move(graphic);
    if (graphic_)
        graphic_->OnChange = [this] { Changed(); };
    Changed();
}

void TPicture::Changed()
{
    if (OnChange)
        OnChange();
}
