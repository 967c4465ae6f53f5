#include "pictures/Graphics.h"

#include <algorithm>
#include <cctype>

#include "pictures/Jpeg.h"

namespace {

std::string LowerExtension(const std::string& fileName)
{
    const auto slash = fileName.rfind('/');
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string extension = fileName.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// Formats Qt reads that the programs show as plain bitmaps.
bool IsQtBitmapExtension(const std::string& extension)
{
    for (const char* known : {".png", ".gif", ".tif", ".tiff", ".webp"})
        if (extension == known)
            return true;
    return false;
}

std::unique_ptr<TGraphic> GraphicForExtension(const std::string& extension)
{
    if (extension == ".bmp")
        return std::make_unique<TBitmap>();
    if (extension == ".ico")
        return std::make_unique<TIcon>();
    if (extension == ".emf" || extension == ".wmf")
        return std::make_unique<TMetafile>();
    if (extension == ".jpg" || extension == ".jpeg")
        return std::make_unique<TJPEGImage>();
    throw EInvalidGraphic("Unknown picture file extension (" + extension + ")");
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
    const std::string extension = LowerExtension(fileName);
    if (IsQtBitmapExtension(extension)) {
        auto bitmap = std::make_unique<TBitmap>();
        TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
        bitmap->LoadFromAnyFormat(stream);
        Hold(std::move(bitmap));
        return;
    }
    auto graphic = GraphicForExtension(extension);
    graphic->LoadFromFile(fileName);
    Hold(std::move(graphic));
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
