// The launcher of the self-contained viewer "pictoview.exe". The viewer
// program with the Qt libraries and plugins it loads is appended to this
// file as an archive. Run, the launcher finds them unpacked in the user's
// cache, unpacking them first when needed, and becomes the viewer with exec:
// the viewer keeps this process, its arguments, signals and exit status.
//
// The viewer finds its libraries through its own run path ($ORIGIN/lib) and
// its plugins through the qt.conf beside it; nothing of that is put into the
// environment, so programs the viewer starts (the browser) see none of it.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "BundleArchive.h"
#include "ProgramError.h"
#include "ViewerCache.h"

namespace {

// The archive to unpack is the running program file itself, wherever it lies.
const std::string ProgramFile = "/proc/self/exe";
const std::string ViewerName = "Pictoview";

TViewerFolder UnpackedFolder()
{
    TBundleArchive archive(ProgramFile);
    return ViewerFolder(archive, CacheRoot());
}

[[noreturn]] void BecomeViewer(const std::filesystem::path& viewer, int argc, char** argv)
{
    std::vector<char*> arguments{const_cast<char*>(viewer.c_str())};
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    // Plugins of another Qt named there would be loaded beside ours.
    ::unsetenv("QT_PLUGIN_PATH");
    ::unsetenv("QT_QPA_PLATFORM_PLUGIN_PATH");
    ::execv(viewer.c_str(), arguments.data());
    throw std::system_error(errno, std::generic_category(), "cannot start the viewer \"" + viewer.string() + "\"");
}

} // namespace

int main(int argc, char** argv)
{
    try {
        // The folder stays held by the viewer this process becomes.
        const TViewerFolder folder = UnpackedFolder();
        BecomeViewer(folder.Path / ViewerName, argc, argv);
    } catch (const std::exception& e) {
        ReportProgramError(argc, argv, "pictoview.exe", e);
        return 1;
    }
}
