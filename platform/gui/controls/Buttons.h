// TBitBtn: a push button with a glyph beside its caption, whose Kind may
// preset its caption and modal result (the OK and Cancel buttons of
// dialogs). A button with an empty caption shows only its glyph.
#pragma once

#include "controls/ButtonGlyph.h"
#include "controls/StdCtrls.h"
#include "pictures/Graphics.h"

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkYes, bkNo, bkClose };

class TGlyphButton;

class TBitBtn;

// A bit button made as forms make their design-time buttons: owned by owner,
// named, on parent, with its caption and bounds.
TBitBtn* NewBitBtn(TComponent& owner, TWinControl* parent, const std::string& name, const std::string& caption,
                   TRect bounds);

class TBitBtn : public TButton {
public:
    TBitBtn();
    std::string ClassName() const override { return "TBitBtn"; }

    TBitBtnKind Kind() const { return kind_; }
    // bkOK gives "OK" and mrOk, bkCancel "Cancel" and mrCancel, bkYes
    // "&Yes" and mrYes, bkNo "&No" and mrNo; bkClose "&Close" closes the form.
    // bkOK and bkYes are the form's Default button, bkCancel and bkNo its
    // Cancel button.
    void SetKind(TBitBtnKind kind);

    const TBitmap& Glyph() const { return glyph_; }
    void SetGlyph(const TBitmap& glyph);
    TButtonLayout Layout() const;
    void SetLayout(TButtonLayout layout);
    // Pixels between glyph and caption.
    int Spacing() const;
    void SetSpacing(int spacing);

    void Click() override;

private:
    TGlyphButton* face_;
    TBitBtnKind kind_ = bkCustom;
    TBitmap glyph_;
};
