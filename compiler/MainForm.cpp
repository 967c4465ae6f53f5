#include "MainForm.h"

#include <filesystem>

#include "Format.h"
#include "SettingsForm.h"
#include "SplashForm.h"
#include "XdgFileTypes.h"
#include "application/Application.h"

namespace pictomake {

TForm1* Form1 = nullptr;

std::string AlbumCaption(const std::string& title, const std::string& projectFileName)
{
    const std::string fileName = std::filesystem::path(projectFileName).filename().string();
    return title + " (" + fileName + ") - Pictoria";
}

TForm1::TForm1()
    : ownRegistrar_(std::make_unique<TXdgFileTypeRegistrar>(TXdgFileTypeRegistrar::DefaultDataHome())),
      registrar_(ownRegistrar_.get()),
      programPath_(Application->ExeName())
{
    for (int i = 1; i <= Application->ParamCount(); ++i)
        parameters_.push_back(Application->ParamStr(i));
    CreateComponents();
}

TForm1::TForm1(TFileTypeRegistrar& registrar, std::string programPath, std::vector<std::string> parameters)
    : registrar_(&registrar), programPath_(std::move(programPath)), parameters_(std::move(parameters))
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
    SetCaption("Pictoria Compiler");
    SetBorderStyle(bsSingle);
    SetPosition(poScreenCenter);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);
    CreateTopBar();
    ScrollBox1 = NewComponent<TScrollBox>(*this);
    ScrollBox1->SetName("ScrollBox1");
    ScrollBox1->SetParent(this);
    ScrollBox1->SetAlign(alClient);
    ScrollBox1->SetSingleBorder(false);
    ScrollBox1->VertScrollBar().SetTracking(true);
    CreateMainMenu();
    // The client area lies below the menu bar.
    SetClientWidth(633);
    SetClientHeight(391);
    CreatePopupMenus();
    CreateDialogs();
    BindPictureCommands();
    CreateAlbumComponents();
    BindDocumentCommands();
    OnShow = [this](TObject* Sender) { FormShow(Sender); };
    ScaleDesign();
}

void TForm1::CreateTopBar()
{
    TopPanel = NewComponent<TPanel>(*this);
    TopPanel->SetName("TopPanel");
    TopPanel->SetParent(this);
    TopPanel->SetAlign(alTop);
    TopPanel->SetHeight(73);
    TopPanel->SetBevelInner(bvRaised);
    TopPanel->SetCaption("");

    BitBtn3 = NewBitBtn(*this, TopPanel, "BitBtn3", "Op&en", Bounds(8, 8, 89, 25));
    BitBtn4 = NewBitBtn(*this, TopPanel, "BitBtn4", "&Save", Bounds(104, 8, 89, 25));
    BitBtn6 = NewBitBtn(*this, TopPanel, "BitBtn6", "Save &As...", Bounds(200, 8, 89, 25));

    Label1 = NewWrappedLabel(*this, TopPanel, "Label1", "Right Click on Pictures for more Options.",
                             Bounds(296, 8, 113, 33));

    BitBtn2 = NewBitBtn(*this, TopPanel, "BitBtn2", "&Slide Show", Bounds(416, 8, 97, 25));
    BitBtn2->OnClick = [this](TObject* Sender) { BitBtn2Click(Sender); };
    BitBtn5 = NewBitBtn(*this, TopPanel, "BitBtn5", "Create &EXE", Bounds(528, 8, 97, 25));
    BitBtn1 = NewBitBtn(*this, TopPanel, "BitBtn1", "Add &Picture", Bounds(8, 40, 89, 25));

    Label2 = NewComponent<TLabel>(*this);
    Label2->SetName("Label2");
    Label2->SetParent(TopPanel);
    Label2->SetLeft(136);
    Label2->SetTop(46);
    Label2->SetCaption("Title:");

    Title = NewComponent<TEdit>(*this);
    Title->SetName("Title");
    Title->SetParent(TopPanel);
    Title->SetBounds(168, 42, 201, 21);
    Title->SetMaxLength(40);
    Title->OnChange = [this](TObject* Sender) { TitleChange(Sender); };

    BitBtn8 = NewBitBtn(*this, TopPanel, "BitBtn8", "Se&ttings", Bounds(416, 40, 97, 25));
    BitBtn8->OnClick = [this](TObject* Sender) { Settings1Click(Sender); };
    BitBtn7 = NewBitBtn(*this, TopPanel, "BitBtn7", " &Help", Bounds(528, 40, 97, 25));
}

TMenuItem* TForm1::NewMenuItem(TMenuItem& parent, const std::string& name, const std::string& caption)
{
    TMenuItem* item = NewComponent<TMenuItem>(*this);
    item->SetName(name);
    item->SetCaption(caption);
    parent.Add(item);
    return item;
}

void TForm1::AddSeparator(TMenuItem& parent)
{
    NewMenuItem(parent, "N" + IntToStr(++separators_), "-");
}

void TForm1::CreateMainMenu()
{
    MainMenu1 = NewComponent<TMainMenu>(*this);
    MainMenu1->SetName("MainMenu1");
    TMenuItem& bar = MainMenu1->Items();

    File1 = NewMenuItem(bar, "File1", "&File");
    New1 = NewMenuItem(*File1, "New1", "&New");
    Open1 = NewMenuItem(*File1, "Open1", "&Open");
    Save1 = NewMenuItem(*File1, "Save1", "&Save");
    SaveAs1 = NewMenuItem(*File1, "SaveAs1", "Save &As...");
    AddSeparator(*File1);
    Quit1 = NewMenuItem(*File1, "Quit1", "E&xit");

    Picture1 = NewMenuItem(bar, "Picture1", "&Picture");
    AddFile1 = NewMenuItem(*Picture1, "AddFile1", "&Add from File");
    AddScanner1 = NewMenuItem(*Picture1, "AddScanner1", "Add from &Scanner");
    AddfromClipboard1 = NewMenuItem(*Picture1, "AddfromClipboard1", "Add from &Clipboard");

    Options1 = NewMenuItem(bar, "Options1", "&Options");
    Settings1 = NewMenuItem(*Options1, "Settings1", "&Settings");
    Settings1->OnClick = [this](TObject* Sender) { Settings1Click(Sender); };
    Compile1 = NewMenuItem(*Options1, "Compile1", "&Create EXE");

    Help1 = NewMenuItem(bar, "Help1", "&Help");
    Contents1 = NewMenuItem(*Help1, "Contents1", "&Contents");

    SetMenu(MainMenu1);
}

void TForm1::CreatePopupMenus()
{
    PopupMenu1 = NewComponent<TPopupMenu>(*this);
    PopupMenu1->SetName("PopupMenu1");
    TMenuItem& picture = PopupMenu1->Items();
    ImageName1 = NewMenuItem(picture, "ImageName1", "Image Name - ");
    AddSeparator(picture);
    CopyPicturetoClipboard1 = NewMenuItem(picture, "CopyPicturetoClipboard1", "Copy Picture to Clip&board");
    SavePictureAs1 = NewMenuItem(picture, "SavePictureAs1", "Save Picture &As...");
    AddSeparator(picture);
    MovePicture1 = NewMenuItem(picture, "MovePicture1", "&Move Picture");
    RotatePicture90degrees1 = NewMenuItem(picture, "RotatePicture90degrees1", "Rotate Picture &Clockwise");
    RotatePicture90degreescounterclockwise1 =
        NewMenuItem(picture, "RotatePicture90degreescounterclockwise1", "Rotate Picture C&ounterclockwise");
    AddSeparator(picture);
    ClosePicture1 = NewMenuItem(picture, "ClosePicture1", "&Remove Picture");
    ClosePicture1->OnClick = [this](TObject* Sender) { ClosePicture1Click(Sender); };
    AddSeparator(picture);
    ShowPicture1 = NewMenuItem(picture, "ShowPicture1", "&Show as Slide");
    ShowPicture1->OnClick = [this](TObject* Sender) { ShowPicture(Sender); };

    PopupMenu2 = NewComponent<TPopupMenu>(*this);
    PopupMenu2->SetName("PopupMenu2");
    TMenuItem& add = PopupMenu2->Items();
    AddPicturefromFile1 = NewMenuItem(add, "AddPicturefromFile1", "Add Picture from &File");
    AddPicturefromScanner1 = NewMenuItem(add, "AddPicturefromScanner1", "Add Picture from &Scanner");
    AddPicturefromClipboard1 = NewMenuItem(add, "AddPicturefromClipboard1", "Add Picture from &Clipboard");
}

void TForm1::CreateDialogs()
{
    OpenDialog1 = NewComponent<TOpenDialog>(*this);
    OpenDialog1->SetName("OpenDialog1");
    OpenDialog1->Filter = "Album File (*.pxp)|*.pxp";
    OpenDialog1->Title = "Open an Album or click Cancel for New Album";

    SaveDialog1 = NewComponent<TSaveDialog>(*this);
    SaveDialog1->SetName("SaveDialog1");
    SaveDialog1->DefaultExt = "pxp";
    SaveDialog1->Filter = "Album Files (*.pxp)|*.pxp";
    SaveDialog1->Title = "Please enter a filename to be used for this Album";

    OpenPictureDialog1 = NewComponent<TOpenPictureDialog>(*this);
    OpenPictureDialog1->SetName("OpenPictureDialog1");
    SavePictureDialog1 = NewComponent<TSavePictureDialog>(*this);
    SavePictureDialog1->SetName("SavePictureDialog1");
}

// The scanner, with its default identity, and the album writer.
void TForm1::CreateAlbumComponents()
{
    AcquireImg1 = NewComponent<TAcquireImage>(*this);
    AcquireImg1->SetName("AcquireImg1");

    ZipWriter1.PackLevel = 9;
    ZipWriter1.RecreateDirs = true;
    ZipWriter1.Recurse = true;
    ZipWriter1.SetStorePaths(true);
    ZipWriter1.SetStoreVolumes(true);
    ZipWriter1.OverwriteMode = Always;
    // No other command may run while the album is being written.
    ZipWriter1.DoProcessMessages = false;
    ZipWriter1.MultiZipInfo().BlockSize = 1457600;
    ZipWriter1.MultiZipInfo().FirstBlockSize = 1457600;
}

void TForm1::FormShow(TObject*)
{
    RegisterFileTypes();
    PictureSources.clear();
    if (!parameters_.empty()) {
        OpenProjectUnderSplash(parameters_.front());
    } else if (OpenDialog1->Execute()) {
        OpenProjectUnderSplash(OpenDialog1->FileName);
    } else {
        NewAlbum();
    }
}

// A registration that fails is reported and start-up goes on: the album
// still opens, whatever the desktop thinks of its files. Each type stands
// alone, so albums failing to register never keeps projects from it.
void TForm1::RegisterFileTypes()
{
    const std::string folder = std::filesystem::path(programPath_).parent_path().string() + "/";
    if (parameters_.empty() && std::filesystem::exists(folder + "pictoview.exe"))
        RegisterFileType(AlbumFileTypeKeys(folder));
    RegisterFileType(ProjectFileTypeKeys(programPath_));
}

void TForm1::RegisterFileType(const std::vector<TFileTypeKey>& keys)
{
    try {
        registrar_->Register(keys);
    } catch (const Exception&) {
        Application->HandleException(this);
    }
}

void TForm1::OpenProjectUnderSplash(const std::string& fileName)
{
    if (!std::filesystem::exists(fileName)) {
        ShowMessage(Format("The album project %s does not exist.", {fileName}));
        NewAlbum();
        return;
    }
    if (pictoalbum::Form5) {
        pictoalbum::Form5->Show();
        pictoalbum::Form5->Repaint();
    }
    OpenProject(fileName);
    if (pictoalbum::Form5)
        pictoalbum::Form5->Close();
}

void TForm1::NewAlbum()
{
    ProjectFileName = UntitledProject;
    Title->SetText("");
    SetCaption(UntitledProject + " - Pictoria");
    Form3->Edit2->SetText("");
    Form3->CheckBox1->SetChecked(true);
    Form3->Edit3->SetText("");
    PictureCount = 0;
    Modified = false;
}

} // namespace pictomake
