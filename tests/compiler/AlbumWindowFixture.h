// A main window over a sandbox: the compiler's folder (where the viewer, the
// stub and the help file are looked for), an albums folder, pictures added as
// the add command adds them, and the album file as the peers read it.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Format.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "PeerArchives.h"
#include "RunCommand.h"
#include "SettingsDialogScope.h"
#include "TempDir.h"
#include "pictures/Jpeg.h"

namespace pictomake {

class NoFileTypes : public TFileTypeRegistrar {
public:
    void Register(const std::vector<TFileTypeKey>&) override {}
};

inline std::string GraphicBytes(TGraphic& graphic)
{
    TMemoryStream stream;
    graphic.SaveToStream(stream);
    return stream.Text();
}

// A picture width x height in the format, known again by its size.
inline std::string PictureOfSize(int width, int height, bool jpeg)
{
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    if (!jpeg)
        return GraphicBytes(bitmap);
    TJPEGImage picture;
    picture.Assign(bitmap);
    return GraphicBytes(picture);
}

// The album file as Python's zipfile lists it: stored names in order, and
// whether each entry is encrypted.
struct TAlbumListing {
    std::vector<std::string> Names;
    std::vector<bool> Encrypted;
};

inline TAlbumListing ListAlbum(const TempDir& dir, const std::string& album)
{
    const std::string output = RunChecked(PythonCommand(dir, "list.py", R"(import sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    print(i.flag_bits & 1, i.filename)
)",
                                                        {album}));
    TAlbumListing listing;
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t end = output.find('\n', at);
        listing.Encrypted.push_back(output[at] == '1');
        listing.Names.push_back(output.substr(at + 2, end - at - 2));
        at = end + 1;
    }
    return listing;
}

class AlbumWindowFixture : public ::testing::Test {
protected:
    AlbumWindowFixture()
    {
        application.SetTitle("Pictoria Compiler");
        std::filesystem::create_directories(CompilerFolder());
    }

    std::string CompilerFolder() const { return dir.Folder() + "pictoria/"; }

    TForm1& NewWindow()
    {
        form.reset();
        settings.dialog.SetSettings({});
        form = std::make_unique<TForm1>(registrar, CompilerFolder() + "Pictomake", std::vector<std::string>{});
        form->AlbumsFolder = dir.Folder() + "Albums/";
        form->ProjectFileName = UntitledProject;
        return *form;
    }
    TEdit& Edit(int n) const { return dynamic_cast<TEdit&>(*form->FindComponent("Edit" + IntToStr(n))); }
    TCheckBox& CheckBox(int n) const
    {
        return dynamic_cast<TCheckBox&>(*form->FindComponent("CheckBox" + IntToStr(n)));
    }

    // A picture added from a file, as the add command does; an empty file
    // name leaves the picture empty.
    void AddFromFile(const std::string& fileName, const std::string& caption, bool isProtected)
    {
        const int n = ++form->PictureCount;
        form->CreatePictUnit(n);
        form->CurrentImage = form->GetTImageofX(n);
        if (!fileName.empty())
            form->CurrentImage->Picture().LoadFromFile(fileName);
        form->PictureSources.push_back(fileName.empty() ? "Image" + IntToStr(n) : fileName);
        Edit(n).SetText(caption);
        CheckBox(n).SetChecked(isProtected);
        form->LoadPicture();
    }

    // A named album of one JPEG picture, its title set, changed since saved.
    void NamedAlbum(const std::string& projectFile)
    {
        NewWindow();
        AddFromFile(dir.Write("beach.jpg", PictureOfSize(41, 30, true)), "Beach", false);
        form->ProjectFileName = projectFile;
        form->Title->SetText("Trip");
        form->Modified = true;
    }

    TApplication& application = TestApplication();
    SettingsDialogScope settings;
    NoFileTypes registrar;
    TempDir dir;
    std::unique_ptr<TForm1> form;
};

} // namespace pictomake
