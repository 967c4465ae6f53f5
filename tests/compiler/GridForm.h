// A compiler main window with a grid of pictures, built as the adding
// commands build it: picture n holds a (40 + n) x 30 bitmap (so each picture
// is known by its width), the source "/photos/p<n>.jpg" and the caption
// "caption <n>"; the last one is current and selected alone. The window is
// shown, with the open dialog of start-up cancelled.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "Format.h"
#include "ScriptedDialogs.h"
#include "SettingsDialogScope.h"
#include "SlideShowScope.h"
#include "MainForm.h"
#include "GuiTestApp.h"

namespace pictomake {

class GridForm {
public:
    explicit GridForm(int pictures)
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectOpen("Open an Album or click Cancel for New Album", "Album File (*.pxp)|*.pxp", {});
        form.Show();
        for (int n = 1; n <= pictures; ++n)
            Add();
    }

    void Add()
    {
        const int n = ++form.PictureCount;
        form.CreatePictUnit(n);
        form.CurrentImage = form.GetTImageofX(n);
        form.SelectCurrent(0, 0);
        TBitmap bitmap;
        bitmap.SetSize(40 + n, 30);
        form.CurrentImage->Picture().SetGraphic(&bitmap);
        form.PictureSources.push_back("/photos/p" + IntToStr(n) + ".jpg");
        Edit(n).SetText("caption " + IntToStr(n));
        form.LoadPicture();
    }

    TPanel& Panel(int n) const { return dynamic_cast<TPanel&>(*form.FindComponent("Panel" + IntToStr(n))); }
    TImage& Image(int n) const { return *form.GetTImageofX(n); }
    TEdit& Edit(int n) const { return dynamic_cast<TEdit&>(*form.FindComponent("Edit" + IntToStr(n))); }
    TCheckBox& CheckBox(int n) const
    {
        return dynamic_cast<TCheckBox&>(*form.FindComponent("CheckBox" + IntToStr(n)));
    }

    // The pictures whose panels show the highlight colour.
    std::set<int> Selected() const
    {
        std::set<int> selected;
        for (int n = 1; n <= form.PictureCount; ++n)
            if (Panel(n).Color() == form.GetHighlightColor())
                selected.insert(n);
        return selected;
    }

    // The original number of each picture in grid order, told by its width.
    std::vector<int> Order() const
    {
        std::vector<int> order;
        for (int n = 1; n <= form.PictureCount; ++n)
            order.push_back(Image(n).Picture().Width() - 40);
        return order;
    }

    class NoRegistrar : public TFileTypeRegistrar {
    public:
        void Register(const std::vector<TFileTypeKey>&) override {}
    };

    TApplication& application = TestApplication();
    SettingsDialogScope settings;
    NoRegistrar registrar;
    TForm1 form{registrar, "/opt/pictoria/Pictomake", {}};
    SlideShowScope slideShow{form};
};

} // namespace pictomake
