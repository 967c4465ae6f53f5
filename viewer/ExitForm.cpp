#include "ExitForm.h"

#include "Shell.h"
#include "ViewerGlyphs.h"
#include "screen/Geometry.h"
#include "screen/Screen.h"

namespace pictoview {

TForm3* Form3 = nullptr;

TForm3::TForm3()
{
    SetName("Form3");
    SetCaption("Exit Pictoria?");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(306);
    SetClientHeight(215);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);

    Image1 = NewComponent<TImage>(*this);
    Image1->SetName("Image1");
    Image1->SetParent(this);
    Image1->SetBounds(136, 8, 32, 32);
    const TBitmap icon = ApplicationIcon();
    Image1->Picture().SetGraphic(&icon);

    Label1 = NewWrappedLabel(*this, this, "Label1",
                             "Put your own photos in EXE albums like this with Pictoria.  For more information go to:",
                             Bounds(56, 48, 193, 41));
    Label2 = NewCentredLabel(*this, this, "Label2", HomePageAddress, Bounds(8, 88, 289, 13));
    Label2->Font().SetStyle(fsUnderline);
    Label2->SetCursor(crHandPoint);
    Label2->OnClick = [this](TObject* Sender) { Label2Click(Sender); };
    Label3 = NewWrappedLabel(*this, this, "Label3", "Do you want to exit Pictoria?", Bounds(8, 128, 289, 41));

    Button1 = NewButton("Button1", "&Yes", 64, mrYes);
    Button2 = NewButton("Button2", "&No", 168, mrNo);
    ScaleDesign();
}

void TForm3::AskAbout(const std::string& albumTitle)
{
    Label3->SetCaption("Do you want to exit " + albumTitle + "?");
    SetCaption("Exit " + albumTitle + "?");
}

// A browser that does not start leaves the prompt as it was.
void TForm3::Label2Click(TObject*)
{
    Shell().OpenAddress(Label2->Caption());
}

TButton* TForm3::NewButton(const std::string& name, const std::string& caption, int left, TModalResult result)
{
    TButton* button = NewComponent<TButton>(*this);
    button->SetName(name);
    button->SetParent(this);
    button->SetBounds(left, 168, 75, 25);
    button->SetCaption(caption);
    button->SetModalResult(result);
    return button;
}

} // namespace pictoview
