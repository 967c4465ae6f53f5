// The album program's stub: unpacks the viewer and the album appended to this
// very file into a private folder, runs the viewer on the album, removes the
// folder and exits with the viewer's status. A failure is one line on
// standard error and a non-zero status, and leaves nothing behind.
#include <iostream>
#include <string>

#include "AlbumUnpack.h"
#include "PrivateFolder.h"
#include "ViewerProcess.h"

namespace {

// The archive to unpack is the running program file itself, wherever it lies.
const std::string ProgramFile = "/proc/self/exe";

std::string ProgramName(int argc, char** argv)
{
    const std::string path = argc > 0 ? argv[0] : "";
    const std::string name = path.substr(path.find_last_of('/') + 1);
    return name.empty() ? "sfx.exe" : name;
}

// Entry names come from the archive: control characters in them must not
// break the message over lines or steer the terminal.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        TViewerProcess viewer;
        const TPrivateFolder folder;
        const TUnpackedAlbum album = UnpackAlbum(ProgramFile, folder);
        return viewer.Run(album.Viewer, album.Album);
    } catch (const std::exception& e) {
        std::cerr << ProgramName(argc, argv) << ": " << OneLine(e.what()) << '\n';
        return 1;
    }
}
