// TForm5: the splash window of both programs, shown while an album (or the
// compiler's project) opens.
#pragma once

#include "Forms.h"
#include "StdCtrls.h"
#include "ExtCtrls.h"

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
