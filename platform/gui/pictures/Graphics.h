// The picture classes of the GUI layer: the abstract graphic, bitmaps with a
// minimal canvas, icons, metafiles and the picture that holds one graphic of
// any kind. JPEG pictures live in Jpeg.h. Graphics read and write through the
// engine's streams; every failure to read a picture raises EInvalidGraphic
// (or its JPEG descendant) with a clear text, never a crash.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QRect>
#include <QSize>

#include "Exceptions.h"
#include "Object.h"
#include "Stream.h"

class QPainter;

// A colour as the programs store it: 0x00BBGGRR for plain RGB values.
using TColor = std::int32_t;

// A picture that cannot be read, written or converted.
class EInvalidGraphic : public Exception {
    using Exception::Exception;
};

// One picture of some kind. A graphic owns its pixels or its encoded data;
// OnChange fires whenever its content changes (load, assign, drawing).
class TGraphic : public TObject {
public:
    std::function<void()> OnChange;

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // Reads the graphic from the stream's position to its end.
    virtual void LoadFromStream(TStream& stream) = 0;
    // Writes the graphic in its own format at the stream's position.
    virtual void SaveToStream(TStream& stream) = 0;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    // Takes over the content of source; raises EInvalidGraphic when this kind
    // cannot hold the source's kind ("Cannot assign a TIcon to a TBitmap").
    virtual void Assign(const TGraphic& source) = 0;
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    // Draws the graphic stretched smoothly into target; the one drawing path
    // of every kind of graphic.
    void Draw(QPainter& painter, const QRect& target) const;
    // The graphic's pixels at full size (an empty image for an empty graphic).
    virtual QImage ToImage() const = 0;

protected:
    // The pixels Draw stretches into target: the full-size ones, unless the
    // graphic can decode at a reduced size that still covers the target.
    virtual QImage PixelsToDraw(const QPainter&, const QRect&) const { return ToImage(); }
    // The target's size in device pixels.
    static QSize DeviceSize(const QPainter& painter, const QRect& target);
    void Changed();
    [[noreturn]] void AssignError(const TGraphic& source) const;
};

class TBitmap;

// The drawing access a bitmap offers: single pixels as colour values and
// other graphics drawn onto it.
class TCanvas {
public:
    explicit TCanvas(TBitmap& bitmap) : bitmap_(bitmap) {}

    // -1 for a point outside the bitmap; writes outside it are ignored.
    TColor Pixels(int x, int y) const;
    void SetPixels(int x, int y, TColor color);
    void Draw(int x, int y, const TGraphic& graphic);
    void StretchDraw(const QRect& target, const TGraphic& graphic);

private:
    TBitmap& bitmap_;
};

enum TPixelFormat { pfDevice, pf24bit, pf32bit };

// A device-independent bitmap held as a QImage; reads and writes .bmp data.
class TBitmap : public TGraphic {
public:
    TBitmap();
    explicit TBitmap(const QImage& image);
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap&) = delete;

    std::string ClassName() const override { return "TBitmap"; }
    bool Empty() const override { return image_.isNull(); }
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    // A new size clears the pixels to white.
    void SetSize(int width, int height);
    TPixelFormat PixelFormat() const;
    void SetPixelFormat(TPixelFormat format);
    TCanvas& Canvas() { return canvas_; }

    // Reads .bmp data.
    void LoadFromStream(TStream& stream) override;
    // Reads any format Qt's image readers know (PNG, GIF, TIFF, WebP, ...),
    // recognised by content; the first image of an animation or a multi-page
    // file.
    void LoadFromAnyFormat(TStream& stream);
    void SaveToStream(TStream& stream) override;
    void Assign(const TGraphic& source) override;
    std::unique_ptr<TGraphic> Clone() const override;
    QImage ToImage() const override { return image_; }

    const QImage& Image() const { return image_; }

private:
    friend class TCanvas;
    void LoadWithReader(TStream& stream, const char* format);
    QImage image_;
    TCanvas canvas_{*this};
};

// A Windows icon (.ico), read through Qt's image reader; the largest image
// of the file is the one shown. The file's bytes are kept and saved again.
class TIcon : public TGraphic {
public:
    std::string ClassName() const override { return "TIcon"; }
    bool Empty() const override { return image_.isNull(); }
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void Assign(const TGraphic& source) override;
    std::unique_ptr<TGraphic> Clone() const override;
    QImage ToImage() const override { return image_; }

private:
    std::vector<std::uint8_t> data_;
    QImage image_;
};

// Enhanced (.emf) and plain (.wmf) metafiles, drawn by our own player (the
// library in platform/metafile/). The file's bytes are kept and saved again
// unchanged; the size comes from the header (the EMF frame, the WMF
// placeable bounds or else its window) in screen pixels. A damaged header,
// or one claiming more than kMaxMetafilePixels, raises EInvalidGraphic;
// damage further on ends the drawing where it starts.
class TMetafile : public TGraphic {
public:
    // 2^25 pixels (for instance 8192 x 4096): 128 MB rendered at 32 bits.
    static constexpr std::int64_t kMaxMetafilePixels = std::int64_t(1) << 25;

    std::string ClassName() const override { return "TMetafile"; }
    bool Empty() const override { return data_.empty(); }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Whether the content is an enhanced metafile (EMF) rather than a plain one.
    bool Enhanced() const { return enhanced_; }

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void Assign(const TGraphic& source) override;
    std::unique_ptr<TGraphic> Clone() const override;
    // Rendered at Width() x Height() on a transparent background.
    QImage ToImage() const override;

protected:
    // Rendered at the target's own device size, so a drawing stays sharp.
    QImage PixelsToDraw(const QPainter& painter, const QRect& target) const override;

private:
    QImage Render(QSize size) const;

    std::vector<std::uint8_t> data_;
    bool enhanced_ = false;
    int width_ = 0;
    int height_ = 0;
};

// Holds at most one graphic of any kind; chooses the kind by what a file
// holds when loading. OnChange fires when the graphic is replaced or changes (the
// picture owns its graphic's OnChange for that).
class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    std::function<void()> OnChange;

    // The held graphic, or nullptr when the picture is empty.
    TGraphic* Graphic() const { return graphic_.get(); }
    // Holds a copy of graphic (nullptr empties the picture).
    void SetGraphic(const TGraphic* graphic);
    // The held bitmap; a graphic of another kind is first replaced by an
    // empty bitmap.
    TBitmap& Bitmap();
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    void Assign(const TPicture& source) { SetGraphic(source.Graphic()); }
    // The kind follows the signature the file begins with (JPEG, BMP, ICO,
    // EMF, WMF, and PNG, GIF, TIFF, WebP as bitmaps), whatever its name;
    // where the bytes begin with none, the extension: .bmp, .ico, .emf,
    // .wmf, .jpg, .jpeg, and .png, .gif, .tif, .tiff, .webp (any case). An
    // unknown extension or a damaged file raises EInvalidGraphic and leaves
    // the picture as it was.
    void LoadFromFile(const std::string& fileName);
    // Writes the graphic in its own format, whatever the extension.
    void SaveToFile(const std::string& fileName) const;

    // Draws the graphic stretched into target (nothing when empty); callers
    // that keep the natural size pass a target of Width() x Height().
    void Draw(QPainter& painter, const QRect& target) const;

private:
    void Hold(std::unique_ptr<TGraphic> graphic);
    void Changed();

    std::unique_ptr<TGraphic> graphic_;
};
