#include "SettingsForm.h"

#include "screen/Geometry.h"

namespace pictomake {

TForm3* Form3 = nullptr;

TForm3::TForm3()
{
    SetName("Form3");
    SetCaption("Settings");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(386);
    SetClientHeight(333);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);

    Edit1 = NewEdit("Edit1", 176, 20, 105);
    Edit1->SetReadOnly(true);
    Label1 = NewLabel("Label1", "&Filename of Album:", 72, 24);
    Label1->SetFocusControl(Edit1);
    Label3 = NewLabel("Label3", ".pxa", 288, 24);
    Label2 = NewWrappedLabel(*this, this, "Label2",
                             "When you compile this album, the EXE file will have the above name with an .exe "
                             "extension instead of .pxa.  The *.pxa file has an icon of a camera and a picture (no "
                             "arrow).  The *.exe file has an icon of film with two pictures.",
                             Bounds(24, 56, 337, 57));

    Edit3 = NewEdit("Edit3", 64, 124, 105);
    Edit3->SetReadOnly(true);
    Edit3->SetMaxLength(40);
    Label6 = NewLabel("Label6", "&Title:", 24, 128);
    Label6->SetFocusControl(Edit3);
    Label7 = NewWrappedLabel(*this, this, "Label7",
                             "The Title will appear at the top of the finished album (limit 40 characters).",
                             Bounds(176, 122, 193, 33));

    CheckBox1 =
        NewCheckBox("CheckBox1", "&Allow Individual Pictures to be Saved by Friends from the EXE file.", 168);
    CheckBox1->SetChecked(true);
    CheckBox2 = NewCheckBox("CheckBox2", "Start EXE in Slide Show mode.", 192);

    Edit2 = NewEdit("Edit2", 88, 228, 89);
    Edit2->SetPasswordChar('*');
    Label4 = NewLabel("Label4", "Password:", 24, 232);
    Label4->SetFocusControl(Edit2);
    Label5 = NewWrappedLabel(*this, this, "Label5",
                             "The password is used to lock any pictures with the Password Protect checkbox checked.",
                             Bounds(184, 220, 177, 39));

    BitBtn1 = NewButton("BitBtn1", bkOK, 112);
    BitBtn1->OnClick = [this](TObject* Sender) { BitBtn1Click(Sender); };
    BitBtn2 = NewButton("BitBtn2", bkCancel, 200);
    ScaleDesign();
}

void TForm3::BitBtn1Click(TObject*)
{
    if (OnConfirm)
        OnConfirm();
}

TAlbumSettings TForm3::Settings() const
{
    return {Edit2->Text(), CheckBox1->Checked(), Edit3->Text(), CheckBox2->Checked()};
}

void TForm3::SetSettings(const TAlbumSettings& settings)
{
    Edit2->SetText(settings.Password);
    CheckBox1->SetChecked(settings.AllowSave);
    Edit3->SetText(settings.Title);
    CheckBox2->SetChecked(settings.ShowSlide);
}

TLabel* TForm3::NewLabel(const std::string& name, const std::string& caption, int left, int top)
{
    TLabel* label = NewComponent<TLabel>(*this);
    label->SetName(name);
    label->SetParent(this);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

TEdit* TForm3::NewEdit(const std::string& name, int left, int top, int width)
{
    TEdit* edit = NewComponent<TEdit>(*this);
    edit->SetName(name);
    edit->SetParent(this);
    edit->SetBounds(left, top, width, edit->Height());
    edit->SetText("");
    return edit;
}

TCheckBox* TForm3::NewCheckBox(const std::string& name, const std::string& caption, int top)
{
    TCheckBox* box = NewComponent<TCheckBox>(*this);
    box->SetName(name);
    box->SetParent(this);
    box->SetBounds(24, top, 337, box->Height());
    box->SetCaption(caption);
    return box;
}

TBitBtn* TForm3::NewButton(const std::string& name, TBitBtnKind kind, int left)
{
    TBitBtn* button = NewComponent<TBitBtn>(*this);
    button->SetName(name);
    button->SetParent(this);
    button->SetBounds(left, 280, 75, 25);
    button->SetKind(kind);
    return button;
}

} // namespace pictomake
