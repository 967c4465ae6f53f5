// The file list expansion: wildcard walks with and without subfolders,
// exclusions, plain names with RootDir, folder names and the freshen filter,
// on a small tree with `find` as the oracle for what a walk yields.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "PeerCheck.h"
#include "RunCommand.h"
#include "TempDir.h"
#include "ZipWriter.h"

namespace {

namespace fs = std::filesystem;

// Text files at two depths, names in mixed case, a dot-file, a file
// without extension, a link to a folder (not followed), a FIFO (skipped).
void MakeTree(const TempDir& dir)
{
    for (const char* name : {"a.txt", "B.TMP", "c.bin", ".dot", "noext", "sub/d.txt", "sub/e.tmp",
                             "sub/deep/f.txt", "sub/deep/G.Txt", "other/h.txt"})
        dir.Write(std::string("tree/") + name, name);
    fs::create_directory_symlink(dir.Path() / "tree/sub", dir.Path() / "tree/linked");
    ::mkfifo(dir.File("tree/fifo").c_str(), 0600);
}

// The stored names of what a build with these settings zips.
struct TExpansionCase {
    std::string Description;
    std::vector<std::string> Files;
    bool Recurse;
    std::vector<std::string> Exclude;
    bool DirEntries;
    std::string FindArguments; // for `find . -mindepth 1 ...` in tree/
};

std::set<std::string> Zipped(const TempDir& dir, const TExpansionCase& c)
{
    TZipWriter writer;
    writer.DoProcessMessages = false;
    writer.SetZipName(dir.File("out.zip"));
    fs::remove(dir.File("out.zip"));
    writer.SetRelativePaths(true);
    writer.Recurse = c.Recurse;
    writer.SetRootDir(dir.Folder() + "tree/");
    writer.SetExcludeList(c.Exclude);
    writer.AddDirEntriesOnRecurse = c.DirEntries;
    // "@" stands for the tree's folder.
    for (std::string name : c.Files)
        writer.FilesList().push_back(name.starts_with('@') ? dir.Folder() + "tree/" + name.substr(1) : name);
    writer.ZipListedFiles();
    ExpectPeersAccept(dir, dir.File("out.zip"));
    std::set<std::string> names;
    for (int i = 0; i < writer.GetCount(); ++i)
        names.insert(writer.GetEntry(i).FullName());
    return names;
}

std::set<std::string> Found(const TempDir& dir, const std::string& arguments)
{
    const std::string output =
        RunChecked("cd " + ShellQuote(dir.Folder() + "tree") + " && find . -mindepth 1 " + arguments);
    std::set<std::string> names;
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t end = output.find('\n', at);
        names.insert(output.substr(at + 2, end - at - 2));
        at = end + 1;
    }
    return names;
}

TEST(FileListExpansion, WalksMatchFind)
{
    TempDir dir;
    MakeTree(dir);
    const std::vector<TExpansionCase> cases = {
        {"own folder", {"*.txt"}, false, {}, false, "-maxdepth 1 -type f -name '*.txt'"},
        {"with subfolders, any case", {"*.txt"}, true, {}, false, "-type f -iname '*.txt'"},
        {"> recurses whatever Recurse says", {">*.txt"}, false, {}, false, "-type f -iname '*.txt'"},
        {"| stays in its folder", {"|*"}, true, {}, false, "-maxdepth 1 -type f"},
        {"*.* matches names without extension", {"*.*"}, false, {}, false, "-maxdepth 1 -type f"},
        {"a subfolder's pattern", {"@sub/*"}, false, {}, false, "-path './sub/*' -maxdepth 2 -type f"},
        {"exclusion by name in any case", {"*"}, true, {"*.tmp"}, false, "-type f ! -iname '*.tmp'"},
        {"exclusion by path", {"*"}, true, {"*/sub/deep/*"}, false, "-type f ! -path './sub/deep/*'"},
        {"folders as entries", {"*"}, true, {}, true, "\\( -type f -o -type d \\) -printf '%P%y\\n' | "
                                                        "sed 's/d$/\\//; s/f$//; s/^/.\\//'"},
    };
    for (const TExpansionCase& c : cases) {
        SCOPED_TRACE(c.Description);
        EXPECT_EQ(Zipped(dir, c), Found(dir, c.FindArguments));
    }
}

TEST(FileListExpansion, PlainNamesGetRootDirAndMissingOnesAreReported)
{
    TempDir dir;
    MakeTree(dir);
    TZipWriter writer;
    writer.DoProcessMessages = false;
    writer.SetZipName(dir.File("out.zip"));
    writer.SetStorePaths(true);
    writer.SetRootDir(dir.Folder() + "tree/");
    writer.SetExcludeList({"*.bin"});
    std::vector<std::string> missing;
    writer.OnNoSuchFile = [&](TZipWriter&, const std::string& name) { missing.push_back(name); };
    std::vector<std::string> recursing;
    writer.OnRecursingFile = [&](TZipWriter&, const std::string& name) { recursing.push_back(name); };
    writer.FilesList() = {"a.txt", "missing.txt", "c.bin", dir.Folder() + "tree/sub/d.txt", "nowhere/*.txt"};
    EXPECT_EQ(writer.ZipListedFiles(), 2);
    EXPECT_EQ(missing, std::vector<std::string>{dir.Folder() + "tree/missing.txt"});
    EXPECT_TRUE(recursing.empty());
    const std::string stored = dir.Folder().substr(1) + "tree/";
    EXPECT_EQ(writer.GetEntry(0).FullName(), stored + "a.txt");
    EXPECT_EQ(writer.GetEntry(1).FullName(), stored + "sub/d.txt");
    ExpectPeersAccept(dir, dir.File("out.zip"));
}

// What is no regular file or folder is left out, walked or named, and told
// to OnSkippingFile with what it is; a name that names nothing stays a
// missing one.
TEST(FileListExpansion, EntriesThatAreNoFilesAreSkippedWithTheReason)
{
    TempDir dir;
    MakeTree(dir);
    fs::create_symlink(dir.Path() / "tree/nowhere", dir.Path() / "tree/dangling");
    const std::string tree = dir.Folder() + "tree/";
    struct {
        std::vector<std::string> files;
        std::vector<std::string> skipped;
    } cases[] = {
        {{tree + "*"},
         {tree + "dangling (a symbolic link to nothing)", tree + "fifo (a FIFO, not a regular file)",
          tree + "linked (a symbolic link to a folder, which is not followed)"}},
        {{tree + "fifo", tree + "dangling", tree + "linked", tree + "missing"},
         {tree + "fifo (a FIFO, not a regular file)", tree + "dangling (a symbolic link to nothing)",
          tree + "linked (a symbolic link to a folder, which is not followed)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.files.front());
        fs::remove(dir.File("out.zip"));
        TZipWriter writer;
        writer.DoProcessMessages = false;
        writer.SetZipName(dir.File("out.zip"));
        writer.Recurse = true;
        std::vector<std::string> skipped;
        writer.OnSkippingFile = [&](TZipReader& sender, TSkipReason reason, const std::string& name, int, bool&) {
            EXPECT_EQ(reason, srSourceUnavailable);
            skipped.push_back(name + " (" + sender.EntryFailure() + ")");
        };
        std::vector<std::string> missing;
        writer.OnNoSuchFile = [&](TZipWriter&, const std::string& name) { missing.push_back(name); };
        writer.FilesList() = c.files;
        writer.ZipListedFiles();
        EXPECT_EQ(skipped, c.skipped);
        EXPECT_EQ(missing,
                  c.files.size() > 1 ? std::vector<std::string>{tree + "missing"} : std::vector<std::string>{});
    }
}

// On Linux "*", "?", "<", ">" and "|" are characters of ordinary names: a
// name that names a file or folder is that one, and only a name that names
// nothing is a pattern. With ExpandWildcards off, no name is a pattern.
TEST(FileListExpansion, ANameThatNamesAFileIsThatFileWhateverItHolds)
{
    TempDir dir;
    for (const char* name : {"Best <2024>.pxa", "Kids?.pxa", "KidsA.pxa", "a<b>.txt", "ab.txt", "x|y", "|z",
                             "Best <2024>/in.txt"})
        dir.Write(std::string("tree/") + name, name);
    const struct {
        bool expand;
        std::vector<std::string> zipped;
        std::vector<std::string> missing;
    } cases[] = {
        {true, {"Best <2024>.pxa", "Kids?.pxa", "a<b>.txt", "x|y", "|z", "Best <2024>/", "KidsA.pxa"}, {}},
        {false, {"Best <2024>.pxa", "Kids?.pxa", "a<b>.txt", "x|y", "|z", "Best <2024>/"}, {"K*A.pxa"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expand);
        TZipWriter writer;
        writer.DoProcessMessages = false;
        writer.SetZipName(dir.File("out.zip"));
        fs::remove(dir.File("out.zip"));
        writer.SetRelativePaths(true);
        writer.SetRootDir(dir.Folder() + "tree/");
        writer.ExpandWildcards = c.expand;
        std::vector<std::string> missing;
        writer.OnNoSuchFile = [&](TZipWriter&, const std::string& name) { missing.push_back(name); };
        writer.FilesList() = {"Best <2024>.pxa", "Kids?.pxa", "a<b>.txt", "x|y", "|z", "Best <2024>/", "K*A.pxa"};
        writer.ZipListedFiles();
        std::vector<std::string> names;
        for (int i = 0; i < writer.GetCount(); ++i)
            names.push_back(writer.GetEntry(i).FullName());
        EXPECT_EQ(names, c.zipped);
        std::vector<std::string> expectedMissing;
        for (const std::string& name : c.missing)
            expectedMissing.push_back(dir.Folder() + "tree/" + name);
        EXPECT_EQ(missing, expectedMissing);
        ExpectPeersAccept(dir, dir.File("out.zip"));
    }
}

TEST(FileListExpansion, FreshenTakesOnlyNamesAlreadyInTheArchive)
{
    TempDir dir;
    MakeTree(dir);
    const std::string archive = dir.File("out.zip");
    {
        TZipWriter writer;
        writer.DoProcessMessages = false;
        writer.SetZipName(archive);
        writer.SetRelativePaths(true);
        writer.SetRootDir(dir.Folder() + "tree/");
        writer.FilesList() = {"a.txt", dir.Folder() + "tree/sub/d.txt"};
        ASSERT_EQ(writer.ZipListedFiles(), 2);
    }
    // The files are newer than their entries.
    for (const char* name : {"tree/a.txt", "tree/sub/d.txt", "tree/c.bin"}) {
        const struct timespec times[2] = {{0, UTIME_NOW}, {4102444800, 0}};
        ::utimensat(AT_FDCWD, dir.File(name).c_str(), times, 0);
    }
    // A fresh component: the archive's directory is not loaded yet.
    TZipWriter writer;
    writer.DoProcessMessages = false;
    writer.SetZipName(archive);
    writer.SetRelativePaths(true);
    writer.SetRootDir(dir.Folder() + "tree/");
    writer.ZipAction = zaFreshen;
    writer.FilesList() = {"c.bin", "*.txt"};
    std::vector<std::string> added;
    writer.OnEndZip = [&](TZipWriter&, const std::string& name, std::int64_t, std::int64_t, std::int64_t) {
        added.push_back(name);
    };
    EXPECT_EQ(writer.ZipListedFiles(), 2);
    EXPECT_EQ(added, (std::vector<std::string>{dir.Folder() + "tree/a.txt", dir.Folder() + "tree/sub/d.txt"}));
    EXPECT_EQ(writer.GetCount(), 2);
    EXPECT_EQ(writer.GetEntry(0).FullName(), "a.txt");
    EXPECT_EQ(writer.GetEntry(1).FullName(), "sub/d.txt");
    ExpectPeersAccept(dir, archive);
}

TEST(FileListExpansion, PatternTests)
{
    TZipWriter writer;
    writer.SetExcludeList({"*.TMP", "*/cache/*"});
    writer.SetNoCompressList({"*.jpg", "*/x/*"});
    EXPECT_TRUE(writer.IsExcluded("/a/b/file.tmp"));
    EXPECT_TRUE(writer.IsExcluded("/a/Cache/file.txt"));
    EXPECT_FALSE(writer.IsExcluded("/a/cached/file.txt"));
    EXPECT_TRUE(writer.IsNoCompress("PICTURE.JPG"));
    // The entry name alone is tested, so a pattern with a folder never matches.
    EXPECT_FALSE(writer.IsNoCompress("file.txt"));
    EXPECT_FALSE(TZipWriter().IsExcluded("anything"));
}

} // namespace
