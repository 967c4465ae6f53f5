// The built compiler as the system runs it: ended by a signal (the session
// ending) while a question is up, it leaves at once, as from its own loop.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "GuiTestApp.h"
#include "ProcessWatch.h"
#include "ProjectFile.h"
#include "Stream.h"
#include "TempDir.h"
#include "pictures/Graphics.h"
#include "pictures/Jpeg.h"

namespace {

using namespace std::chrono_literals;

// Its home and desktop data in home, so its file-type registration stays
// there.
pid_t StartCompiler(const std::filesystem::path& home, const std::vector<std::string>& parameters)
{
    const pid_t compiler = ::fork();
    if (compiler == 0) {
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        ::setenv("TMPDIR", home.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::vector<char*> argv = {const_cast<char*>(COMPILER_PATH)};
        for (const std::string& parameter : parameters)
            argv.push_back(const_cast<char*>(parameter.c_str()));
        argv.push_back(nullptr);
        ::execv(COMPILER_PATH, argv.data());
        ::_exit(127);
    }
    return compiler;
}

} // namespace

TEST(CompilerProcess, EndedByTheSystemWithAQuestionUpItLeaves)
{
    TempDir home;
    const struct {
        const char* window;
        std::vector<std::string> parameters;
    } states[] = {
        {"the open dialog", {}},
        {"a message box", {home.File("missing.pxp")}},
    };
    for (const auto& state : states) {
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            SCOPED_TRACE(std::string(state.window) + ", signal " + std::to_string(signal));
            const pid_t compiler = StartCompiler(home.Path(), state.parameters);
            ASSERT_GE(compiler, 0);
            ASSERT_TRUE(WaitsForItsUser(compiler, [] { return true; }));
            ::kill(compiler, signal);
            int status = 0;
            ASSERT_TRUE(EndsWithin(compiler, 10s, status)) << "held by its window";
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended by the signal itself";
        }
    }
}

// 48 MP each: their opening takes several seconds in a debug build.
constexpr int LongOpeningPictures = 220;

TEST(CompilerProcess, EndedByTheSystemDuringALongOpeningItLeavesAtOnce)
{
    TestApplication();
    TempDir home;
    TBitmap bitmap;
    bitmap.SetSize(8000, 6000);
    TJPEGImage jpeg;
    jpeg.Assign(bitmap);
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    home.Write("big.jpg", stream.Text());
    const std::string project = home.File("big.pxp");
    pictomake::TProjectFile(project).SaveFresh(
        std::vector<pictomake::TProjectPicture>(LongOpeningPictures, {home.File("big.jpg"), "Big", false}), {});
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        const pid_t compiler = StartCompiler(home.Path(), {project});
        ASSERT_GE(compiler, 0);
        std::this_thread::sleep_for(1500ms);
        ::kill(compiler, signal);
        int status = 0;
        ASSERT_TRUE(EndsWithin(compiler, 2s, status)) << "it waited for the opening's end";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended by the signal itself";
    }
}
