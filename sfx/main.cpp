// The album program's stub: unpacks the viewer and the album appended to this
// very file into a private folder, runs the viewer on the album, removes the
// folder and exits with the viewer's status. A failure is one line on
// standard error and a non-zero status, and leaves nothing behind.
#include <string>

#include "AlbumUnpack.h"
#include "PrivateFolder.h"
#include "ProgramError.h"
#include "ViewerProcess.h"

namespace {

// The archive to unpack is the running program file itself, wherever it lies.
const std::string ProgramFile = "/proc/self/exe";

} // namespace

int main(int argc, char** argv)
{
    try {
        TViewerProcess viewer;
        const TPrivateFolder folder;
        const TUnpackedAlbum album = UnpackAlbum(ProgramFile, folder);
        return viewer.Run(album.Viewer, album.Album);
    } catch (const std::exception& e) {
        ReportProgramError(argc, argv, "sfx.exe", e);
        return 1;
    }
}
