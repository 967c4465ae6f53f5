// The real self-contained viewer: its process loads every Qt library and
// plugin from its own unpacked folder, also with the system's Qt hidden from
// it; an album program that the compiler made with it shows its album on an
// X screen twice, unpacking the viewer only the first time, and leaves
// nothing but the cache behind.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "AlbumWindowFixture.h"
#include "RunCommand.h"
#include "ScriptedDialogs.h"
#include "ViewerRun.h"

namespace pictomake {

namespace {

using TPaths = std::vector<std::filesystem::path>;

bool SandboxWorks() { return RunCommand("bwrap --dev-bind / / true >/dev/null 2>&1").ExitCode == 0; }

bool IsQtFile(const std::filesystem::path& file)
{
    const std::string name = file.filename().string();
    return name.starts_with("libQt6") || file.string().find("/plugins/") != std::string::npos;
}

// The system's Qt made unusable in a sandbox: its plugin folder emptied and
// every one of its libraries replaced by an empty file.
std::vector<std::string> WithoutSystemQt()
{
    std::vector<std::string> command{"bwrap", "--dev-bind", "/", "/", "--tmpfs", QT_PLUGIN_DIR};
    for (const auto& item : std::filesystem::directory_iterator(QT_LIBRARY_DIR))
        if (item.path().filename().string().starts_with("libQt6") &&
            item.symlink_status().type() == std::filesystem::file_type::regular)
            command.insert(command.end(), {"--ro-bind", "/dev/null", item.path().string()});
    return command;
}

class BundledViewerTest : public AlbumWindowFixture {
protected:
    BundledViewerTest()
    {
        for (const char* folder : {"tmp", "cache", "home", "runtime"})
            std::filesystem::create_directories(dir.File(folder));
        std::filesystem::permissions(dir.File("runtime"), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
    }

    std::filesystem::path Tmp() const { return dir.File("tmp"); }
    std::filesystem::path CacheRoot() const { return dir.File("cache/pictoria"); }

    std::vector<std::string> Environment() const
    {
        std::vector<std::string> environment = SanitizerSettings();
        environment.push_back("LSAN_OPTIONS=suppressions=" LEAK_SUPPRESSIONS);
        environment.insert(environment.end(),
                           {"PATH=/usr/bin:/bin", "HOME=" + dir.File("home"), "TMPDIR=" + Tmp().string(),
                            "XDG_CACHE_HOME=" + dir.File("cache"), "XDG_RUNTIME_DIR=" + dir.File("runtime"),
                            "DISPLAY=" + screen.Display(), "QT_QPA_PLATFORM=xcb"});
        return environment;
    }

    // The album the compiler saved: trip.pxa beside trip.pxp.
    std::string SavedAlbum()
    {
        NamedAlbum(dir.File("trip.pxp"));
        form->Save1Click(nullptr);
        return dir.File("trip.pxa");
    }

    std::filesystem::path ViewerFolder() const
    {
        for (const auto& item : std::filesystem::directory_iterator(CacheRoot()))
            if (item.path().filename().string().starts_with("viewer-"))
                return item.path();
        return {};
    }

    std::vector<std::string> NamesIn(const std::filesystem::path& folder) const
    {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(folder))
            names.push_back(item.path().filename().string());
        return names;
    }

    // Runs command until its viewer shows the album, checks where the
    // viewer's Qt came from, and ends the viewer as the session's end would.
    void RunAndCheckLibraries(const std::vector<std::string>& command)
    {
        TStartedProgram program(command, Environment());
        ASSERT_TRUE(AlbumShown(Tmp(), program)) << "the viewer showed no album";
        const std::filesystem::path folder = ViewerFolder();
        ASSERT_FALSE(folder.empty());
        const pid_t viewer = ProcessOf(folder / "Pictoview");
        ASSERT_NE(viewer, 0);
        ExpectOwnQt(MappedFiles(viewer), folder);
        ::kill(viewer, SIGTERM);
        const int status = program.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    static void ExpectOwnQt(const TPaths& mapped, const std::filesystem::path& folder)
    {
        TPaths qt;
        std::copy_if(mapped.begin(), mapped.end(), std::back_inserter(qt), IsQtFile);
        for (const auto& file : qt)
            EXPECT_TRUE(file.string().starts_with(folder.string() + "/")) << file;
        for (const char* needed :
             {"lib/libQt6Core.so.6", "lib/libQt6Gui.so.6", "lib/libQt6Widgets.so.6", "plugins/platforms/libqxcb.so"})
            EXPECT_NE(std::find(qt.begin(), qt.end(), folder / needed), qt.end()) << needed;
        for (const auto& file : mapped) {
            if (std::filesystem::exists(folder / "lib" / file.filename())) {
                EXPECT_EQ(file, folder / "lib" / file.filename()) << "a packed library from elsewhere";
            }
        }
    }

    TVirtualScreen screen;
};

} // namespace

TEST_F(BundledViewerTest, LoadsItsQtFromItsOwnFolderWithTheSystemsQtHidden)
{
    if (!SandboxWorks())
        GTEST_SKIP() << "bwrap cannot make a sandbox here";
    const std::string album = SavedAlbum();
    std::vector<std::string> plain = WithoutSystemQt();
    plain.insert(plain.end(), {PLAIN_VIEWER_PATH, album});
    const int status = TStartedProgram(plain, Environment()).Wait();
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 127) << "the plain viewer cannot start without it";

    std::vector<std::string> bundled = WithoutSystemQt();
    bundled.insert(bundled.end(), {BUNDLE_PATH, album});
    RunAndCheckLibraries(bundled);
}

TEST_F(BundledViewerTest, AnAlbumProgramShowsItsAlbumTwiceAndLeavesOnlyTheCache)
{
    dir.Write("pictoria/pictoview.exe", ReadFileBytes(BUNDLE_PATH));
    dir.Write("pictoria/sfx.exe", ReadFileBytes(SFX_STUB_PATH));
    SavedAlbum();
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectMessageBox("Pictoria Compiler", "EXE has been Compiled", IDOK);
        dialogs.ExpectMessageBox("View Pictoria?", "Do you want to view the finished Pictoria?", IDNO);
        form->Compile1Click(nullptr);
        dialogs.Verify();
    }
    ::chmod(dir.File("trip.EXE").c_str(), 0755);

    RunAndCheckLibraries({dir.File("trip.EXE")});
    const std::filesystem::path folder = ViewerFolder();
    struct stat first {};
    ASSERT_EQ(::stat(folder.c_str(), &first), 0);
    EXPECT_EQ(NamesIn(Tmp()), std::vector<std::string>{}) << "the album program's folders are gone";
    EXPECT_EQ(NamesIn(CacheRoot()), std::vector<std::string>{folder.filename().string()});

    RunAndCheckLibraries({dir.File("trip.EXE")});
    struct stat second {};
    ASSERT_EQ(::stat(folder.c_str(), &second), 0);
    EXPECT_EQ(second.st_ino, first.st_ino) << "the cache was used as it was";
    EXPECT_EQ(NamesIn(Tmp()), std::vector<std::string>{});
    EXPECT_EQ(NamesIn(CacheRoot()), std::vector<std::string>{folder.filename().string()});
}

} // namespace pictomake
