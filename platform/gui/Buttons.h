// TBitBtn: a push button whose Kind may preset its caption and modal
// result (the OK and Cancel buttons of dialogs).
#pragma once

#include "StdCtrls.h"

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkYes, bkNo, bkClose };

class TBitBtn : public TButton {
public:
    std::string ClassName() const override { return "TBitBtn"; }

    TBitBtnKind Kind() const { return kind_; }
    // bkOK gives "OK" and mrOk, bkCancel "Cancel" and mrCancel, bkYes
    // "&Yes" and mrYes, bkNo "&No" and mrNo; bkClose "&Close" closes the form.
    void SetKind(TBitBtnKind kind);

    void Click() override;

private:
    TBitBtnKind kind_ = bkCustom;
};
