// What the slide-show window needs of its program's main window: the
// current picture (which stepping moves), the picture numbers of images and
// the images of numbers, the number of pictures, each picture's caption,
// the picture to show for an image, and what the Print button does. The
// compiler's and the viewer's main windows each implement it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "controls/Image.h"

namespace pictoalbum {

class TSlideShowHost {
public:
    virtual ~TSlideShowHost() = default;

    virtual TImage* SlideCurrentImage() const = 0;
    virtual void SetSlideCurrentImage(TImage* image) = 0;
    virtual int32_t GetXofTImage(const TImage& image) const = 0;
    virtual TImage* GetTImageofX(int32_t n) const = 0;
    virtual int32_t SlidePictureCount() const = 0;
    virtual std::string SlideCaption(int32_t n) const = 0;
    // The whole picture to show for image, ready to be painted (nullptr for
    // none). By default a copy of the image's own; a main window whose images
    // hold less reads it, which may process waiting messages.
    virtual std::unique_ptr<TGraphic> SlidePicture(const TImage& image)
    {
        const TGraphic* graphic = image.Picture().Graphic();
        return graphic ? graphic->Clone() : nullptr;
    }
    // The Print button, with the picture (nullptr when none) and the
    // caption the window shows.
    virtual void PrintSlide(const TGraphic* picture, const std::string& caption) = 0;
};

} // namespace pictoalbum
