// TImage: a control that shows a TPicture, stretched to its size when
// Stretch is on, else at the picture's own size from its top left corner.
// It owns its picture; a change of the picture repaints it.
#pragma once

#include "controls/Controls.h"
#include "pictures/Graphics.h"

class TImage : public TGraphicControl {
public:
    TImage();
    std::string ClassName() const override { return "TImage"; }

    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);

protected:
    void ApplyColor() override {} // draws over its parent

private:
    void Paint(QPainter& painter) const;

    TPicture picture_;
    bool stretch_ = false;
};
