// The viewer's main window as a test opens an album in it, and what it
// shows of picture n: the thumbnail's picture width and the caption.
#pragma once

#include <string>
#include <vector>

#include "viewer/MainForm.h"

namespace pictoview {

class ViewerWindow {
public:
    void Open(const std::string& albumFile)
    {
        form.AlbumFileName = albumFile;
        form.OpenAlbum();
    }
    int PictureWidth(int n) const
    {
        const TGraphic* graphic = form.GetTImageofX(n)->Picture().Graphic();
        return graphic ? graphic->Width() : 0;
    }
    std::string Caption(int n) const
    {
        return dynamic_cast<TLabel&>(*form.FindComponent("Label" + std::to_string(n))).Caption();
    }

    TForm1 form{std::vector<std::string>{}};
};

} // namespace pictoview
