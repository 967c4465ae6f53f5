#include "Buttons.h"

#include "Forms.h"

void TBitBtn::SetKind(TBitBtnKind kind)
{
    struct Preset {
        const char* caption;
        TModalResult result;
    };
    static const Preset presets[] = {
        {nullptr, mrNone}, {"OK", mrOk}, {"Cancel", mrCancel}, {"&Yes", mrYes}, {"&No", mrNo}, {"&Close", mrNone},
    };
    kind_ = kind;
    const Preset& preset = presets[kind];
    if (preset.caption) {
        SetCaption(preset.caption);
        SetModalResult(preset.result);
    }
}

void TBitBtn::Click()
{
    if (kind_ == bkClose) {
        if (TForm* form = GetParentForm(this))
            form->Close();
    }
    TButton::Click();
}
