// TForm5: the splash window of both programs, shown while an album (or the
// compiler's project) opens.
#pragma once

#include "controls/Forms.h"
#include "controls/StdCtrls.h"
#include "controls/ExtCtrls.h"

namespace pictoalbum {

class TForm5 : public TForm {
public:
    TForm5();
    std::string ClassName() const override { return "TForm5"; }

    TLabel* Label1 = nullptr;
    TShape* Shape1 = nullptr;
};

extern TForm5* Form5;

} // namespace pictoalbum
