// The built viewer as the system runs it: ended by a signal (the session
// ending), whatever window is up, it leaves at once and still removes its
// private folder.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "AlbumFixture.h"
#include "GuiTestApp.h"
#include "ProcessWatch.h"
#include "TempDir.h"

namespace pictoview {

namespace {

using namespace std::chrono_literals;

// The private folders a viewer made under folder.
int PrivateFolders(const std::filesystem::path& folder)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += entry.path().filename().string().rfind("pictoview-", 0) == 0;
    return count;
}

pid_t StartViewer(const std::filesystem::path& temp, const std::string& album)
{
    const pid_t viewer = ::fork();
    if (viewer == 0) {
        ::setenv("TMPDIR", temp.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execl(VIEWER_PATH, VIEWER_PATH, album.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return viewer;
}

} // namespace

TEST(ViewerProcess, EndedByTheSystemWhateverWindowIsUpItLeavesAndRemovesItsPrivateFolder)
{
    TestApplication();
    TempDir dir;
    const std::filesystem::path temp = dir.Path() / "tmp";
    std::filesystem::create_directory(temp);
    const std::string plain = dir.File("plain.pxa");
    WriteAlbum(plain, {{JpegBytes(40, 30), "One", ""}});
    const std::string slides = dir.File("slides.pxa");
    WriteAlbum(slides, {{JpegBytes(40, 30), "One", ""}}, FixtureSettings{"Trip", true, true});
    const std::string locked = dir.File("locked.pxa");
    WriteAlbum(locked, {{JpegBytes(40, 30), "One", "secret"}});
    const std::string damaged = dir.File("damaged.pxa");
    WriteAlbum(damaged, {{JpegBytes(40, 30), "One", ""}, {"not a picture", "Two", ""}});

    const struct {
        const char* window;
        std::string album;
    } states[] = {
        {"the film strip", plain},
        {"the start-up slide show", slides},
        {"the password prompt", locked},
        {"a message box", damaged},
    };
    for (const auto& state : states) {
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            SCOPED_TRACE(std::string(state.window) + ", signal " + std::to_string(signal));
            const pid_t viewer = StartViewer(temp, state.album);
            ASSERT_GE(viewer, 0);
            ASSERT_TRUE(WaitsForItsUser(viewer, [&temp] { return PrivateFolders(temp) > 0; }));
            ::kill(viewer, signal);
            int status = 0;
            ASSERT_TRUE(EndsWithin(viewer, 10s, status)) << "held by its window";
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended by the signal itself";
            EXPECT_EQ(PrivateFolders(temp), 0);
            std::filesystem::remove_all(temp);
            std::filesystem::create_directory(temp);
        }
    }
}

// 48 MP each: their opening takes about ten seconds in a debug build.
constexpr int LongOpeningPictures = 220;

TEST(ViewerProcess, EndedByTheSystemDuringALongOpeningItLeavesAtOnce)
{
    TestApplication();
    TempDir dir;
    const std::filesystem::path temp = dir.Path() / "tmp";
    std::filesystem::create_directory(temp);
    const std::string album = dir.File("big.pxa");
    WriteAlbum(album, std::vector<FixturePicture>(LongOpeningPictures, FixturePicture{JpegBytes(8000, 6000), "Big", ""}));
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        const pid_t viewer = StartViewer(temp, album);
        ASSERT_GE(viewer, 0);
        // The settings are in the private folder before the pictures load.
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (PrivateFolders(temp) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(500ms);
        ::kill(viewer, signal);
        int status = 0;
        ASSERT_TRUE(EndsWithin(viewer, 2s, status)) << "it waited for the opening's end";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended by the signal itself";
        EXPECT_EQ(PrivateFolders(temp), 0);
    }
}

} // namespace pictoview

