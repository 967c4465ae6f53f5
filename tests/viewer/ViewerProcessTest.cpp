// The built viewer as the system runs it: ended by a signal (the session
// ending), it still removes its private folder.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "AlbumFixture.h"
#include "GuiTestApp.h"
#include "TempDir.h"

namespace pictoview {

namespace {

// The private folders a viewer made under folder.
int PrivateFolders(const std::filesystem::path& folder)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += entry.path().filename().string().rfind("pictoview-", 0) == 0;
    return count;
}

// Waits, up to a deadline, for the viewer to show its album: its settings
// file is then in its folder.
bool AlbumShown(const std::filesystem::path& folder)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (std::filesystem::exists(entry.path() / "pictoview.ini"))
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

} // namespace

TEST(ViewerProcess, EndedByTheSystemItRemovesItsPrivateFolder)
{
    TestApplication();
    TempDir dir;
    const std::filesystem::path temp = dir.Path() / "tmp";
    std::filesystem::create_directory(temp);
    const std::string album = dir.File("trip.pxa");
    WriteAlbum(album, {{JpegBytes(40, 30), "One", ""}});

    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const pid_t viewer = ::fork();
        ASSERT_GE(viewer, 0);
        if (viewer == 0) {
            ::setenv("TMPDIR", temp.c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::execl(VIEWER_PATH, VIEWER_PATH, album.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_TRUE(AlbumShown(temp));
        ::kill(viewer, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(viewer, &status, 0), viewer);
        EXPECT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
        EXPECT_EQ(PrivateFolders(temp), 0);
    }
}

} // namespace pictoview
