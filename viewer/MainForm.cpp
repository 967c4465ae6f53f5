#include "MainForm.h"

#include "ExitForm.h"
#include "Format.h"
#include "ViewerGlyphs.h"
#include "application/Application.h"

namespace pictoview {

TForm1* Form1 = nullptr;

TForm1::TForm1()
{
    for (int i = 1; i <= Application->ParamCount(); ++i)
        parameters_.push_back(Application->ParamStr(i));
    CreateComponents();
}

TForm1::TForm1(std::vector<std::string> parameters) : parameters_(std::move(parameters))
{
    CreateComponents();
}

TForm1::~TForm1()
{
    DestroyComponents();
}

void TForm1::CreateComponents()
{
    SetName("Form1");
    SetCaption("Pictoria");
    SetBorderStyle(bsSingle);
    SetPosition(poScreenCenter);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    SetClientWidth(633);
    SetClientHeight(257);
    CreateTopBar();
    ScrollBox1 = NewComponent<TScrollBox>(*this);
    ScrollBox1->SetName("ScrollBox1");
    ScrollBox1->SetParent(this);
    ScrollBox1->SetAlign(alClient);
    ScrollBox1->SetSingleBorder(false);
    ScrollBox1->SetColor(clBtnFace);
    ScrollBox1->HorzScrollBar().SetTracking(true);
    ScrollBox1->SetVertScrollBarVisible(false);
    CreatePopupMenu();

    OpenDialog1 = NewComponent<TOpenDialog>(*this);
    OpenDialog1->SetName("OpenDialog1");
    OpenDialog1->Filter = "Pictoria Files (*.pxa)|*.pxa";
    SavePictureDialog1 = NewComponent<TSavePictureDialog>(*this);
    SavePictureDialog1->SetName("SavePictureDialog1");
    SavePictureDialog1->Options = ofHideReadOnly | ofOverwritePrompt;

    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnShow = [this](TObject* Sender) { FormShow(Sender); };
    OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
    ScaleDesign();
}

void TForm1::CreateTopBar()
{
    TopPanel = NewComponent<TPanel>(*this);
    TopPanel->SetName("TopPanel");
    TopPanel->SetParent(this);
    TopPanel->SetAlign(alTop);
    TopPanel->SetHeight(41);
    TopPanel->SetBevelOuter(bvNone);
    TopPanel->SetCaption("");

    TopLabel = NewWrappedLabel(*this, TopPanel, "TopLabel", "For More Options Right Click on Picture",
                               Bounds(256, 8, 112, 26));

    // The Slide Show button comes first in tab order.
    BitBtn2 = NewBitBtn(*this, TopPanel, "BitBtn2", "&Slide Show", Bounds(392, 8, 225, 25));
    BitBtn2->OnClick = [this](TObject* Sender) { BitBtn2Click(Sender); };
    BitBtn4 = NewBitBtn(*this, TopPanel, "BitBtn4", "&Open Album", Bounds(16, 8, 105, 25));
    BitBtn4->OnClick = [this](TObject* Sender) { BitBtn4Click(Sender); };
    BitBtn1 = NewBitBtn(*this, TopPanel, "BitBtn1", "&Close Album", Bounds(136, 8, 105, 25));
    BitBtn1->OnClick = [this](TObject* Sender) { BitBtn1Click(Sender); };
}

TMenuItem* TForm1::NewMenuItem(const std::string& name, const std::string& caption)
{
    TMenuItem* item = NewComponent<TMenuItem>(*this);
    item->SetName(name);
    item->SetCaption(caption);
    PopupMenu1->Items().Add(item);
    return item;
}

void TForm1::CreatePopupMenu()
{
    PopupMenu1 = NewComponent<TPopupMenu>(*this);
    PopupMenu1->SetName("PopupMenu1");
    CopyPicturetoClipboard1 = NewMenuItem("CopyPicturetoClipboard1", "&Copy Picture to Clipboard");
    CopyPicturetoClipboard1->OnClick = [this](TObject* Sender) { CopyPicturetoClipboard1Click(Sender); };
    LoadPicture1 = NewMenuItem("LoadPicture1", "&Save Picture As...");
    LoadPicture1->OnClick = [this](TObject* Sender) { LoadPicture1Click(Sender); };
    PrintPicture1 = NewMenuItem("PrintPicture1", "&Print Picture");
    PrintPicture1->OnClick = [this](TObject* Sender) { PrintPicture1Click(Sender); };
    N1 = NewMenuItem("N1", "-");
    ShowPicture1 = NewMenuItem("ShowPicture1", "Show Picture &Full Screen");
    ShowPicture1->OnClick = [this](TObject* Sender) { ShowPicture1Click(Sender); };
}

void TForm1::FormCreate(TObject*)
{
    BitBtn4->SetGlyph(ViewerGlyph(TViewerGlyph::Open));
    BitBtn1->SetGlyph(ViewerGlyph(TViewerGlyph::Close));
    BitBtn2->SetGlyph(ViewerGlyph(TViewerGlyph::Slide));
}

void TForm1::FormShow(TObject*)
{
    if (!parameters_.empty()) {
        AlbumFileName = parameters_.front();
    } else if (OpenDialog1->Execute()) {
        AlbumFileName = OpenDialog1->FileName;
    } else {
        return;
    }
    OpenAlbum();
    if (AutoSlideShow)
        BitBtn2Click(BitBtn2);
}

// A close asked for while an album opens would free the strip the opening
// is filling: it waits for the opening's end. Leaving takes the private
// folder and the settings file in it along; staying keeps both, so the album
// goes on as it was. When the system ends the program nobody is there to
// answer: it leaves without asking.
void TForm1::FormCloseQuery(TObject*, bool& CanClose)
{
    if (opening_) {
        closeRequested_ = true;
        CanClose = false;
        return;
    }
    if (Form3 && !(Application && Application->Terminated())) {
        Form3->AskAbout(AlbumTitle);
        CanClose = Form3->ShowModal() == mrYes;
    }
    if (CanClose)
        settingsFolder_.reset();
}

std::string TForm1::CheckPath(const std::string& Path)
{
    if (!Path.empty() && Path.back() == '/')
        return Path;
    return Path + "/";
}

} // namespace pictoview
