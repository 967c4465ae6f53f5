#include "SplashForm.h"

namespace pictoalbum {

TForm5* Form5 = nullptr;

TForm5::TForm5()
{
    SetName("Form5");
    SetBorderStyle(bsNone);
    SetColor(clWhite);
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
    SetClientWidth(208);
    SetClientHeight(53);

    Shape1 = NewComponent<TShape>(*this);
    Shape1->SetName("Shape1");
    Shape1->SetParent(this);
    Shape1->SetAlign(alClient);
    Shape1->SetBrushClear(true);

    Label1 = NewComponent<TLabel>(*this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetAutoSize(false);
    Label1->SetBounds(8, 16, 193, 25);
    Label1->SetAlignment(taCenter);
    Label1->Font().SetHeight(-16);
    Label1->Font().SetStyle(fsBold);
    Label1->SetCaption("Loading Album...");
    ScaleDesign();
}

} // namespace pictoalbum
