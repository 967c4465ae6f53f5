// The viewer's run: started with the album as its first parameter, no shell
// between, and waited for. From construction on, SIGINT, SIGTERM and SIGHUP
// do not end this program: while the viewer runs they are passed on to it,
// and one that comes before it starts keeps it from starting. Either way this
// program lives on to remove the private folder. Signals the program was
// started ignoring stay ignored, for it and for the viewer.
#pragma once

#include <signal.h>

#include <array>
#include <filesystem>

class TViewerProcess {
public:
    TViewerProcess();
    TViewerProcess(const TViewerProcess&) = delete;
    TViewerProcess& operator=(const TViewerProcess&) = delete;
    ~TViewerProcess();

    // Runs viewer on album and returns its exit status, 128 + the signal's
    // number when a signal ended it, as shells report it. Raises when the
    // viewer cannot be started.
    int Run(const std::filesystem::path& viewer, const std::filesystem::path& album);

private:
    std::array<struct sigaction, 3> previous_{};
};
