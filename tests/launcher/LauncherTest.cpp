// The launcher of the self-contained viewer, run with a stand-in viewer: it
// unpacks once into the user's cache, becomes the viewer (same process, its
// arguments and exit status), trusts a cache folder only after checking it,
// takes turns with launchers started at the same moment, removes the folders
// of other bundles that it marked as a launcher's and that no running viewer
// holds, and nothing else, and leaves nothing half-unpacked behind on a full
// disk.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeBundle.h"

namespace {

using TStringList = std::vector<std::string>;

ino_t InodeOf(const std::filesystem::path& path)
{
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status.st_ino;
}

mode_t ModeOf(const std::filesystem::path& path)
{
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// The mark launchers leave in the folders they unpack, which album programs
// made before launchers locked never wrote.
const std::string LockingMark = ".held-while-used";

enum class TMark { Marked, Unmarked };

// The folder holds the box's bundle files exactly, privately, with the
// launcher's mark unless it is an older program's.
void ExpectIntactFolder(const TBundleBox& box, const std::filesystem::path& folder, TMark mark = TMark::Marked)
{
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(ModeOf(folder), 0700);
    std::size_t files = 0;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder))
        files += item.is_regular_file() && item.path() != folder / LockingMark;
    EXPECT_EQ(files, box.Files().size());
    EXPECT_EQ(std::filesystem::is_regular_file(folder / LockingMark), mark == TMark::Marked);
    if (mark == TMark::Marked) {
        EXPECT_EQ(std::filesystem::file_size(folder / LockingMark), 0u);
    }
    for (const auto& [name, bytes] : box.Files())
        EXPECT_TRUE(ReadFileBytes((folder / name).string()) == bytes) << name;
}

// The cache's viewer folder holds the bundle's files exactly, privately.
void ExpectIntactCache(const TBundleBox& box) { ExpectIntactFolder(box, box.ViewerFolder()); }

TEST(Launcher, UnpacksIntoTheCacheAndBecomesTheViewer)
{
    const TBundleBox box;

    const TLaunch launch = box.Run({"/albums/trip one.pxa", "--second"}, {"LAUNCHER_TEST_EXIT=7"});

    ASSERT_TRUE(WIFEXITED(launch.Status)) << launch.Errors;
    EXPECT_EQ(WEXITSTATUS(launch.Status), 7);
    EXPECT_EQ(launch.Errors, "");
    EXPECT_EQ(box.Result("arguments"), "/albums/trip one.pxa\n--second\n");
    EXPECT_EQ(box.Result("pid"), std::to_string(launch.Pid) + "\n") << "the viewer runs in the launcher's process";
    EXPECT_EQ(box.Result("folder"), box.ViewerFolder().string() + "\n");
    EXPECT_EQ(box.NamesInCache(), TStringList{box.ViewerFolder().filename().string()});
    EXPECT_EQ(ModeOf(box.CacheRoot()), 0700);
    ExpectIntactCache(box);
}

TEST(Launcher, ASignalThatEndsTheViewerEndsTheProgram)
{
    const TBundleBox box;

    const TLaunch launch = box.Run({}, {"LAUNCHER_TEST_EXIT=killed"});

    ASSERT_TRUE(WIFSIGNALED(launch.Status));
    EXPECT_EQ(WTERMSIG(launch.Status), SIGTERM);
}

TEST(Launcher, TheNextRunUsesTheCacheAsItIs)
{
    const TBundleBox box;
    ASSERT_EQ(box.Run({}).Status, 0);
    const std::filesystem::path folder = box.ViewerFolder();
    const ino_t first = InodeOf(folder);
    const auto written = std::filesystem::last_write_time(folder / "lib/libfake.so.1");

    ASSERT_EQ(box.Run({}).Status, 0);

    EXPECT_EQ(box.ViewerFolder(), folder);
    EXPECT_EQ(InodeOf(folder), first);
    EXPECT_EQ(std::filesystem::last_write_time(folder / "lib/libfake.so.1"), written);
    EXPECT_EQ(box.NamesInCache().size(), 1u);
}

// ---- A cache folder that cannot be trusted is unpacked afresh ---------------

struct TPlanting {
    const char* Name;
    std::function<void(const std::filesystem::path& folder)> Plant;
    bool NeedsRoot = false;
};

void PrintTo(const TPlanting& planting, std::ostream* out) { *out << planting.Name; }

class UntrustedCache : public testing::TestWithParam<TPlanting> {};

TEST_P(UntrustedCache, IsReplacedBeforeTheViewerRuns)
{
    const TPlanting& planting = GetParam();
    if (planting.NeedsRoot && ::geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    const TBundleBox box;
    ASSERT_EQ(box.Run({}).Status, 0);
    const std::filesystem::path folder = box.ViewerFolder();
    const ino_t first = InodeOf(folder);
    planting.Plant(folder);

    const TLaunch launch = box.Run({});

    ASSERT_TRUE(WIFEXITED(launch.Status));
    EXPECT_EQ(WEXITSTATUS(launch.Status), 0) << launch.Errors;
    EXPECT_EQ(box.ViewerFolder(), folder) << "the same key";
    EXPECT_NE(InodeOf(folder), first) << "a new folder";
    EXPECT_EQ(box.Result("folder"), folder.string() + "\n");
    struct stat status {};
    ::lstat(folder.c_str(), &status);
    EXPECT_EQ(status.st_uid, ::geteuid());
    ExpectIntactCache(box);
    EXPECT_EQ(box.NamesInCache().size(), 1u) << "the planted folder is gone";
}

void AppendTo(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Launcher, UntrustedCache,
    testing::Values(
        TPlanting{"AnotherOwner", [](const auto& folder) { ::chown(folder.c_str(), 65534, 65534); }, true},
        TPlanting{"OpenToOthers",
                  [](const auto& folder) { std::filesystem::permissions(folder, std::filesystem::perms::all); }},
        TPlanting{"ChangedLibrary", [](const auto& folder) { AppendTo(folder / "lib/libfake.so.1", "x"); }},
        TPlanting{"SameSizeOtherBytes",
                  [](const auto& folder) {
                      std::ofstream(folder / "lib/libfake.so.1", std::ios::binary) << std::string(300000, 'M');
                  }},
        TPlanting{"PlantedPlugin", [](const auto& folder) { AppendTo(folder / "plugins/platforms/libqevil.so", "x"); }},
        TPlanting{"MissingFile", [](const auto& folder) { std::filesystem::remove(folder / "qt.conf"); }},
        TPlanting{"MarkWithContent", [](const auto& folder) { AppendTo(folder / LockingMark, "x"); }},
        TPlanting{"MarkInASubfolder",
                  [](const auto& folder) { std::filesystem::rename(folder / LockingMark, folder / "lib" / LockingMark); }},
        TPlanting{"LinkToElsewhere",
                  [](const auto& folder) {
                      const auto elsewhere = folder.parent_path().parent_path() / "qt.conf";
                      std::filesystem::rename(folder / "qt.conf", elsewhere);
                      std::filesystem::create_symlink(elsewhere, folder / "qt.conf");
                  }},
        TPlanting{"FolderIsALink",
                  [](const auto& folder) {
                      const auto elsewhere = folder.parent_path().parent_path() / "elsewhere";
                      std::filesystem::rename(folder, elsewhere);
                      std::filesystem::create_directory_symlink(elsewhere, folder);
                  }}),
    [](const testing::TestParamInfo<TPlanting>& info) { return std::string(info.param.Name); });

// ---- Launchers at the same moment -------------------------------------------

// How many launchers start together in each round, and how many rounds.
constexpr int TogetherCount = 6;
constexpr int Rounds = 4;

TEST(Launcher, LaunchersStartedTogetherOnAnUntrustedCacheRunFromOneIntactFolder)
{
    const TBundleBox box;
    ASSERT_EQ(box.Run({}).Status, 0);
    const std::filesystem::path folder = box.ViewerFolder();
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        AppendTo(folder / "lib/libfake.so.1", "x");
        std::vector<std::unique_ptr<TRunningLaunch>> launches;
        {
            const TStartGate gate;
            for (int i = 0; i < TogetherCount; ++i)
                launches.push_back(box.Start({}, &gate));
        }

        for (const auto& launch : launches)
            ASSERT_TRUE(launch->ViewerRuns()) << launch->Finish().Errors;
        for (const auto& launch : launches)
            EXPECT_EQ(launch->ViewerFolder(), folder);
        ExpectIntactCache(box);
        EXPECT_EQ(box.NamesInCache(), TStringList{folder.filename().string()});
        for (const auto& launch : launches) {
            const TLaunch end = launch->Finish();
            EXPECT_EQ(end.Status, 0) << end.Errors;
        }
    }
}

// ---- The folders of other bundles -------------------------------------------

// A second bundle with one file more than box's, sharing its cache.
TBundleBox AnotherBundle(const TBundleBox& box)
{
    return TBundleBox(box.CacheHome(), {{"lib/libextra.so.1", std::string(1000, 'E')}});
}

// A third bundle with another file more than box's, sharing its cache.
TBundleBox YetAnotherBundle(const TBundleBox& box)
{
    return TBundleBox(box.CacheHome(), {{"lib/libother.so.1", std::string(2000, 'O')}});
}

// The folder the box's viewer ran in last.
std::filesystem::path LastFolder(const TBundleBox& box)
{
    const std::string folder = box.Result("folder");
    return folder.substr(0, folder.find('\n'));
}

TEST(Launcher, RemovesTheFolderOfAnotherBundleThatNoLauncherHolds)
{
    const TBundleBox first;
    const TBundleBox second = AnotherBundle(first);
    ASSERT_EQ(first.Run({}).Status, 0);
    const std::filesystem::path firstFolder = LastFolder(first);

    const TLaunch launch = second.Run({});

    ASSERT_EQ(launch.Status, 0) << launch.Errors;
    const std::filesystem::path secondFolder = LastFolder(second);
    EXPECT_NE(secondFolder, firstFolder);
    EXPECT_EQ(second.NamesInCache(), TStringList{secondFolder.filename().string()});
    ExpectIntactFolder(second, secondFolder);
}

TEST(Launcher, KeepsTheFolderOfAnotherBundleWhileItsViewerRuns)
{
    const TBundleBox first;
    const TBundleBox second = AnotherBundle(first);
    const auto running = first.Start();
    ASSERT_TRUE(running->ViewerRuns()) << running->Finish().Errors;
    const std::filesystem::path firstFolder = LastFolder(first);

    ASSERT_EQ(second.Run({}).Status, 0);

    const std::filesystem::path secondFolder = LastFolder(second);
    EXPECT_EQ(running->ViewerFolder(), firstFolder);
    ExpectIntactFolder(first, firstFolder);
    TStringList both{firstFolder.filename().string(), secondFolder.filename().string()};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(second.NamesInCache(), both);
    EXPECT_EQ(running->Finish().Status, 0);

    ASSERT_EQ(second.Run({}).Status, 0);

    EXPECT_EQ(second.NamesInCache(), TStringList{secondFolder.filename().string()}) << "gone once its viewer ended";
}

TEST(Launcher, KeepsAnUnmarkedFolderWhileAnOlderProgramsViewerRunsFromItUnlocked)
{
    const TBundleBox older;
    const TBundleBox unused = YetAnotherBundle(older);
    const TBundleBox newer = AnotherBundle(older);
    ASSERT_EQ(older.Run({}).Status, 0);
    const std::filesystem::path olderFolder = LastFolder(older);
    std::filesystem::remove(olderFolder / LockingMark);
    const auto running = older.StartViewerIn(olderFolder);
    ASSERT_TRUE(running->ViewerRuns()) << running->Finish().Errors;
    ASSERT_EQ(unused.Run({}).Status, 0);
    const std::filesystem::path unusedFolder = LastFolder(unused);

    ASSERT_EQ(newer.Run({}).Status, 0);

    const std::filesystem::path newerFolder = LastFolder(newer);
    EXPECT_EQ(running->ViewerFolder(), olderFolder) << "its folder stays in place";
    ExpectIntactFolder(older, olderFolder, TMark::Unmarked);
    EXPECT_FALSE(std::filesystem::exists(unusedFolder)) << "a marked folder that nobody holds goes";
    TStringList kept{olderFolder.filename().string(), newerFolder.filename().string()};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(newer.NamesInCache(), kept);
    EXPECT_EQ(running->Finish().Status, 0);

    ASSERT_EQ(newer.Run({}).Status, 0);

    EXPECT_EQ(newer.NamesInCache(), kept) << "an unmarked folder stays once its viewer ended too";
}

// Something found in the cache root beside the bundle's own folder.
struct TCacheItem {
    const char* Case;
    const char* Name;
    // Makes the item under root; gives the path that shows it was kept.
    std::function<std::filesystem::path(const std::filesystem::path& root, const std::string& name)> Plant;
    bool Removed;
    bool NeedsRoot = false;
};

void PrintTo(const TCacheItem& item, std::ostream* out) { *out << item.Case; }

// A folder with one file "keep", of the given mode.
std::filesystem::path PlantFolder(const std::filesystem::path& folder, std::filesystem::perms mode)
{
    std::filesystem::create_directories(folder / "inner");
    std::ofstream(folder / "inner/keep") << "keep";
    std::filesystem::permissions(folder, mode, std::filesystem::perm_options::replace);
    return folder / "inner/keep";
}

std::filesystem::path PlantPrivate(const std::filesystem::path& root, const std::string& name)
{
    return PlantFolder(root / name, std::filesystem::perms::owner_all);
}

// A private folder as a launcher that locks leaves it: with its mark.
std::filesystem::path PlantMarked(const std::filesystem::path& root, const std::string& name)
{
    std::filesystem::create_directories(root / name);
    std::ofstream(root / name / LockingMark).flush();
    return PlantPrivate(root, name);
}

class CacheItem : public testing::TestWithParam<TCacheItem> {};

TEST_P(CacheItem, IsRemovedOnlyWhenItIsAnUnheldPrivateFolderOfTheCache)
{
    const TCacheItem& item = GetParam();
    if (item.NeedsRoot && ::geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    const TBundleBox box;
    ASSERT_EQ(box.Run({}).Status, 0);
    const std::filesystem::path shown = item.Plant(box.CacheRoot(), item.Name);

    const TLaunch launch = box.Run({});

    ASSERT_EQ(launch.Status, 0) << launch.Errors;
    const std::filesystem::path planted = box.CacheRoot() / item.Name;
    if (item.Removed) {
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(planted)));
    } else {
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(planted)));
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(shown))) << shown;
    }
    ExpectIntactFolder(box, LastFolder(box));
}

INSTANTIATE_TEST_SUITE_P(
    Launcher, CacheItem,
    testing::Values(TCacheItem{"OtherBundle", "viewer-0123abcd", PlantMarked, true},
                    TCacheItem{"LeftoverUnpacking", ".viewer-0123abcd-Ab12Cd", PlantMarked, true},
                    TCacheItem{"LeftoverMovedAside", ".stale-Ab12Cd", PlantPrivate, true},
                    TCacheItem{"OlderProgramsBundle", "viewer-0123abcd", PlantPrivate, false},
                    TCacheItem{"OlderProgramsUnpacking", ".viewer-0123abcd-Ab12Cd", PlantPrivate, false},
                    TCacheItem{"LinkForAMark", "viewer-0123abcd",
                               [](const auto& root, const std::string& name) {
                                   const auto shown = PlantPrivate(root, name);
                                   std::filesystem::create_symlink(shown, root / name / LockingMark);
                                   return shown;
                               },
                               false},
                    TCacheItem{"OpenToOthers", "viewer-0123abcd",
                               [](const auto& root, const std::string& name) {
                                   return PlantFolder(root / name, std::filesystem::perms::owner_all |
                                                                       std::filesystem::perms::group_read |
                                                                       std::filesystem::perms::group_exec);
                               },
                               false},
                    TCacheItem{"AnotherOwner", "viewer-0123abcd",
                               [](const auto& root, const std::string& name) {
                                   const auto shown = PlantPrivate(root, name);
                                   ::chown((root / name).c_str(), 65534, 65534);
                                   return shown;
                               },
                               false, true},
                    TCacheItem{"LinkToAFolder", "viewer-0123abcd",
                               [](const auto& root, const std::string& name) {
                                   const auto shown = PlantPrivate(root.parent_path(), "elsewhere");
                                   std::filesystem::create_directory_symlink(root.parent_path() / "elsewhere",
                                                                             root / name);
                                   return shown;
                               },
                               false},
                    TCacheItem{"PlainFile", "viewer-0123abcd",
                               [](const auto& root, const std::string& name) {
                                   std::ofstream(root / name) << "keep";
                                   std::filesystem::permissions(root / name, std::filesystem::perms::owner_all,
                                                                std::filesystem::perm_options::replace);
                                   return root / name;
                               },
                               false},
                    TCacheItem{"OtherName", "viewers", PlantPrivate, false}),
    [](const testing::TestParamInfo<TCacheItem>& info) { return std::string(info.param.Case); });

TEST(Launcher, RefusesACacheRootOfAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    const TBundleBox box;
    std::filesystem::create_directories(box.CacheRoot());
    ASSERT_EQ(::chown(box.CacheRoot().c_str(), 65534, 65534), 0);

    const TLaunch launch = box.Run({});

    ASSERT_TRUE(WIFEXITED(launch.Status));
    EXPECT_EQ(WEXITSTATUS(launch.Status), 1);
    EXPECT_NE(launch.Errors.find("is not this user's own folder"), std::string::npos) << launch.Errors;
    EXPECT_EQ(box.Result("pid"), "") << "the viewer did not run";
}

// ---- A full disk ------------------------------------------------------------

class FullDisk : public testing::TestWithParam<TDisk> {};

TEST_P(FullDisk, SaysSoAndLeavesNoFolderBehind)
{
    if (GetParam() == TDisk::Full && !SandboxWorks())
        GTEST_SKIP() << "bwrap cannot mount a small disk here";
    const TBundleBox box;

    const TLaunch launch = box.Run({}, {}, GetParam());

    ASSERT_TRUE(WIFEXITED(launch.Status));
    EXPECT_EQ(WEXITSTATUS(launch.Status), 1);
    EXPECT_NE(launch.Errors.find("pictoview.exe: the disk is full"), std::string::npos) << launch.Errors;
    EXPECT_EQ(box.Result("left"), "") << "no viewer folder, whole or half";
    EXPECT_EQ(box.Result("pid"), "") << "the viewer did not run";
}

INSTANTIATE_TEST_SUITE_P(Launcher, FullDisk, testing::Values(TDisk::Full, TDisk::FileSizeLimit),
                         [](const testing::TestParamInfo<TDisk>& info) {
                             return info.param == TDisk::Full ? "SmallDisk" : "FileSizeLimit";
                         });

TEST(Launcher, AProgramWithoutArchiveSaysSo)
{
    const TBundleBox box;
    std::filesystem::copy_file(LAUNCHER_PATH, box.Program(), std::filesystem::copy_options::overwrite_existing);

    const TLaunch launch = box.Run({});

    ASSERT_TRUE(WIFEXITED(launch.Status));
    EXPECT_EQ(WEXITSTATUS(launch.Status), 1);
    EXPECT_NE(launch.Errors.find("no viewer archive found in this program"), std::string::npos) << launch.Errors;
}

} // namespace
