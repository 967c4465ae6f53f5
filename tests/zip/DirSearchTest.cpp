#include "files/DirSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "FolderChain.h"
#include "TempDir.h"

namespace {

// Every path of a walk, in order.
std::vector<std::string> Walk(const std::string& startPath, bool recurse, const std::string& mask)
{
    TDirSearch search(startPath, recurse, mask);
    std::vector<std::string> paths;
    TSearchRec record;
    std::string path;
    for (search.NextFile(record, path); !path.empty(); search.NextFile(record, path)) {
        paths.push_back(path);
        if (paths.size() > 10000) {
            ADD_FAILURE() << "the walk does not end";
            break;
        }
    }
    search.NextFile(record, path);
    EXPECT_EQ(path, "") << "a finished walk stays finished";
    return paths;
}

// The lines a shell command prints.
std::vector<std::string> CommandLines(const std::string& command)
{
    std::vector<std::string> lines;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return lines;
    std::string line;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
        } else {
            lines.push_back(line);
            line.clear();
        }
    }
    ::pclose(pipe);
    return lines;
}

// The walk's order: each folder's entries by name in byte order, a folder's
// contents right after it. That is the order of the paths' components.
std::vector<std::string> InWalkOrder(std::vector<std::string> paths)
{
    auto components = [](const std::string& path) {
        std::vector<std::string> parts;
        for (std::size_t from = 0; from <= path.size();) {
            const std::size_t end = std::min(path.find('/', from), path.size());
            parts.push_back(path.substr(from, end - from));
            from = end + 1;
        }
        return parts;
    };
    std::sort(paths.begin(), paths.end(),
        [&](const std::string& a, const std::string& b) { return components(a) < components(b); });
    return paths;
}

// find as the oracle: the files (also links to files) and, with "-type d",
// the folders (not links to them) printed with a final "/".
std::vector<std::string> Find(const std::string& arguments)
{
    return InWalkOrder(CommandLines("find " + arguments));
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// A tree with names that sort differently as whole paths and by component
// ("b-x.txt" before "b/" in byte order of the path, after "b" as a name),
// names without or with an empty extension, a hidden file, a FIFO and links.
class DirSearchTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"a.txt", "B.TXT", "readme", "foo.", ".hidden", "b-x.txt", "b.txt", "b/x.txt",
                 "b/y.dat", "b/deep/z.txt", "b/deep/deeper/w.txt", "empty/.keep", "data/six.txt", "data/a1/one.txt",
                 "data/a1/two.dat", "data/a1/sub/three.txt", "data/a2/four.txt", "data/b1/five.txt"})
            dir.Write(name, name);
        std::filesystem::remove(dir.File("empty/.keep"));
        ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
        std::filesystem::create_directory_symlink("b", dir.Path() / "linkdir");
        std::filesystem::create_directory_symlink("a1", dir.Path() / "data/alink");
        std::filesystem::create_symlink("a.txt", dir.Path() / "linkfile");
        std::filesystem::create_symlink("nowhere", dir.Path() / "dangling");
    }

    std::string Root() const { return dir.Path().string(); }

    TempDir dir;
};

TEST_F(DirSearchTree, OneFolderGivesItsFilesByName)
{
    const std::vector<std::string> paths = Walk(dir.Folder(), false, "*.*");
    EXPECT_EQ(paths, Find(Quoted(Root()) + " -mindepth 1 -maxdepth 1 -xtype f"));
    EXPECT_EQ(paths.front(), dir.Folder() + ".hidden");
    EXPECT_EQ(std::count(paths.begin(), paths.end(), dir.Folder() + "linkfile"), 1);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), dir.Folder() + "pipe"), 0);
    EXPECT_EQ(Walk(Root(), false, "*.*"), paths) << "the start path gets its final /";
}

TEST_F(DirSearchTree, RecursionGivesEachFolderBeforeItsContents)
{
    const std::vector<std::string> paths = Walk(dir.Folder(), true, "*.*");
    EXPECT_EQ(paths, Find(Quoted(Root()) + " -mindepth 1 \\( -type d -printf '%p/\\n' -o -xtype f -print \\)"));
    for (const char* absent : {"linkdir/", "linkdir/x.txt", "data/alink/", "data/alink/one.txt", "pipe", "dangling"})
        EXPECT_EQ(std::count(paths.begin(), paths.end(), dir.Folder() + absent), 0) << absent;
    EXPECT_EQ(std::count(paths.begin(), paths.end(), dir.Folder() + "empty/"), 1);
}

// What is no regular file or folder is left out and named with what it is,
// by name as each folder is listed; without recursion only those that the
// mask takes.
TEST_F(DirSearchTree, NamesEachEntryItLeavesOutWithWhatItIs)
{
    const std::string root = dir.Folder();
    struct {
        bool recurse;
        const char* mask;
        std::vector<std::pair<std::string, std::string>> leftOut;
    } cases[] = {
        {true, "*",
         {{root + "dangling", "a symbolic link to nothing"},
          {root + "linkdir", "a symbolic link to a folder, which is not followed"},
          {root + "pipe", "a FIFO, not a regular file"},
          {root + "data/alink", "a symbolic link to a folder, which is not followed"}}},
        {false, "p*",
         {{root + "pipe", "a FIFO, not a regular file"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        std::vector<std::pair<std::string, std::string>> reported;
        TDirSearch search(root, c.recurse, c.mask,
            [&](const std::string& path, const std::string& reason) { reported.emplace_back(path, reason); });
        TSearchRec record;
        std::string path;
        for (search.NextFile(record, path); !path.empty(); search.NextFile(record, path)) {
        }
        EXPECT_EQ(reported, c.leftOut);
    }
}

TEST_F(DirSearchTree, MatchesFilesAgainstTheMaskIgnoringCase)
{
    EXPECT_EQ(Walk(dir.Folder(), true, "*.txt"),
        Find(Quoted(Root()) + " -mindepth 1 \\( -type d -printf '%p/\\n' -o -xtype f -iname '*.txt' -print \\)"));
    EXPECT_EQ(Walk(dir.Folder(), false, "*.TXT"),
        Find(Quoted(Root()) + " -mindepth 1 -maxdepth 1 -xtype f -iname '*.txt'"));
}

TEST_F(DirSearchTree, ANameWithoutExtensionMatchesStarDotAndKeepsItsName)
{
    const std::string root = dir.Folder();
    EXPECT_EQ(Walk(root, false, "*."), (std::vector<std::string>{root + "foo.", root + "linkfile", root + "readme"}));
    const std::vector<std::string> all = Walk(root, false, "*.*");
    EXPECT_EQ(std::count(all.begin(), all.end(), root + "readme"), 1);
    EXPECT_EQ(std::count(all.begin(), all.end(), root + "readme."), 0);
    EXPECT_EQ(Walk(root, false, "readme"), std::vector<std::string>{}) << "it is matched as 'readme.'";
    EXPECT_EQ(Walk(root, false, "readme."), std::vector<std::string>{root + "readme"});
    EXPECT_EQ(Walk(root, false, "foo."), std::vector<std::string>{root + "foo."});
    EXPECT_EQ(Walk(root, false, "foo"), std::vector<std::string>{});
}

TEST_F(DirSearchTree, FolderPatternsLeadToTheMatchingSubfolders)
{
    const std::string data = Quoted(Root() + "/data");
    const std::string underA = " -mindepth 2 -path " + Quoted(Root() + "/data/a*/*");
    EXPECT_EQ(Walk(dir.Folder() + "data/a*/", false, "*.txt"),
        Find(data + underA + " -maxdepth 2 -xtype f -iname '*.txt'"));
    EXPECT_EQ(Walk(dir.Folder() + "data/a*", false, "*.txt"),
        (std::vector<std::string>{dir.Folder() + "data/a1/one.txt", dir.Folder() + "data/a2/four.txt"}));
    EXPECT_EQ(Walk(dir.Folder() + "data/a*/", true, "*.txt"),
        Find(data + underA + " \\( -type d -printf '%p/\\n' -o -xtype f -iname '*.txt' -print \\)"));
    EXPECT_EQ(Walk(dir.Folder() + "data/a*/s?b/", false, "*.*"),
        std::vector<std::string>{dir.Folder() + "data/a1/sub/three.txt"});
    EXPECT_EQ(Walk(dir.Folder() + "data//a*//s?b", false, "*.*"),
        std::vector<std::string>{dir.Folder() + "data//a1/sub/three.txt"});
    EXPECT_EQ(Walk(dir.Folder() + "*/deep/", false, "*.*"), std::vector<std::string>{dir.Folder() + "b/deep/z.txt"})
        << "the link to b is not followed";
    EXPECT_EQ(Walk(dir.Folder() + "x*/", true, "*.*"), std::vector<std::string>{});
}

// Runs in folder for its lifetime.
class TWorkingFolder {
public:
    explicit TWorkingFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~TWorkingFolder() { std::filesystem::current_path(previous_); }
    TWorkingFolder(const TWorkingFolder&) = delete;
    TWorkingFolder& operator=(const TWorkingFolder&) = delete;

private:
    std::filesystem::path previous_;
};

TEST_F(DirSearchTree, AWildcardInTheFirstComponentStartsInTheCurrentFolder)
{
    const TWorkingFolder inTree(dir.Path());
    EXPECT_EQ(Walk("da*/", false, "*.txt"), std::vector<std::string>{"data/six.txt"});
    EXPECT_EQ(Walk("d*/a?", false, "*.txt"), (std::vector<std::string>{"data/a1/one.txt", "data/a2/four.txt"}));
    const std::vector<std::string> here = Walk("", false, "*.txt");
    EXPECT_EQ(here, (std::vector<std::string>{"B.TXT", "a.txt", "b-x.txt", "b.txt"}));
}

std::time_t ModificationTime(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mtim.tv_sec;
}

TEST_F(DirSearchTree, FillsTheRecordOfEveryEntry)
{
    ASSERT_EQ(::chmod(dir.File("a.txt").c_str(), 0444), 0);
    TDirSearch search(dir.Folder(), true, "*.*");
    TSearchRec record;
    std::string path;
    int seen = 0;
    for (search.NextFile(record, path); !path.empty(); search.NextFile(record, path), ++seen) {
        SCOPED_TRACE(path);
        const bool isFolder = path.back() == '/';
        const std::string name = std::filesystem::path(isFolder ? path.substr(0, path.size() - 1) : path).filename();
        EXPECT_EQ(record.Name, name);
        EXPECT_EQ(IsDirectory(record), isFolder);
        EXPECT_EQ(IsRealDirectory(record), isFolder);
        EXPECT_EQ(record.Size, isFolder ? 0 : static_cast<std::int64_t>(std::filesystem::file_size(path)));
        EXPECT_EQ(record.Time, TimeToDosDateTime(ModificationTime(path)));
        EXPECT_TRUE(record.Attr & faArchive);
        EXPECT_EQ((record.Attr & faHidden) != 0, name[0] == '.');
        EXPECT_EQ((record.Attr & faReadOnly) != 0, name == "a.txt" || name == "linkfile");
        EXPECT_EQ(record.Attr & (faSysFile | faVolumeID), 0);
    }
    EXPECT_GT(seen, 15);
}

// A folder whose name holds wildcard characters is walked as that folder;
// the components after the first that names no folder are patterns.
TEST(DirSearch, AFolderNamedWithPatternCharactersIsThatFolder)
{
    TempDir dir;
    for (const char* name : {"Best <2024>/in.txt", "Best <2024>/day1/a.txt", "Best <2024>/day2/b.txt",
                             "Best 12024>/other.txt", "Kids?/k.txt", "KidsA/not.txt"})
        dir.Write(name, name);
    const std::string best = dir.File("Best <2024>");
    EXPECT_EQ(Walk(best, true, "*"),
              (std::vector<std::string>{best + "/day1/", best + "/day1/a.txt", best + "/day2/", best + "/day2/b.txt",
                                        best + "/in.txt"}));
    EXPECT_EQ(Walk(best + "/day?/", false, "*.txt"),
              (std::vector<std::string>{best + "/day1/a.txt", best + "/day2/b.txt"}));
    EXPECT_EQ(Walk(dir.File("Kids?"), false, "*"), std::vector<std::string>{dir.File("Kids?/k.txt")});
    EXPECT_EQ(Walk(dir.File("Kid?<A>"), false, "*"), std::vector<std::string>{dir.File("KidsA/not.txt")});
}

TEST(DirSearch, AnEmptyOrMissingStartFolderEndsAtOnce)
{
    TempDir dir;
    EXPECT_EQ(Walk(dir.Folder(), true, "*.*"), std::vector<std::string>{});
    EXPECT_EQ(Walk(dir.File("missing"), true, "*.*"), std::vector<std::string>{});
    EXPECT_EQ(Walk(dir.File("missing/a*/"), true, "*.*"), std::vector<std::string>{});
}

// A tree far deeper than any fixed stack of levels is walked to its bottom.
TEST(DirSearch, WalksAsDeepAsTheTreeGoes)
{
    TempDir dir;
    const int depth = 300;
    MakeFolderChain(dir.Folder(), depth, 1);
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::vector<std::string> reported;
    TDirSearch search(dir.Folder(), true, "*.*",
        [&](const std::string& path, const std::string&) { reported.push_back(path); });
    TSearchRec record;
    std::string path;
    for (search.NextFile(record, path); !path.empty(); search.NextFile(record, path))
        (path.back() == '/' ? folders : files).push_back(path);

    std::string deepest = dir.Folder();
    for (int level = 0; level < depth; ++level)
        deepest += "d/";
    ASSERT_EQ(folders.size(), static_cast<std::size_t>(depth));
    EXPECT_EQ(folders.back(), deepest);
    EXPECT_EQ(files.size(), static_cast<std::size_t>(depth + 1));
    EXPECT_EQ(std::count(files.begin(), files.end(), deepest + "f"), 1);
    EXPECT_TRUE(reported.empty());
}

// Below the depth at which a path passes what the system takes, nothing can
// be opened: the walk names the folder it cannot go into, and every file it
// does not give lies below that folder.
TEST(DirSearch, NamesWhatLiesTooDeepForTheSystem)
{
    TempDir dir;
    const std::string root = dir.File("chain");
    std::filesystem::create_directory(root);
    MakeFolderChain(root, 30, 200);
    std::vector<std::pair<std::string, std::string>> reported;
    std::vector<std::string> files;
    {
        TDirSearch search(root, true, "*",
            [&](const std::string& path, const std::string& reason) { reported.emplace_back(path, reason); });
        TSearchRec record;
        std::string path;
        for (search.NextFile(record, path); !path.empty(); search.NextFile(record, path))
            if (path.back() != '/')
                files.push_back(path);
    }
    RemoveDeepTree(root);

    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].second, std::strerror(ENAMETOOLONG));
    const std::string& tooDeep = reported[0].first;
    EXPECT_TRUE(tooDeep.ends_with(std::string(200, 'd')));
    EXPECT_GT(tooDeep.size(), static_cast<std::size_t>(PATH_MAX));
    // The file of each folder above the one named.
    EXPECT_EQ(files.size(), static_cast<std::size_t>(std::count(tooDeep.begin() + root.size(), tooDeep.end(), '/')));
    EXPECT_TRUE(std::all_of(files.begin(), files.end(), [&](const std::string& file) {
        return file.size() < tooDeep.size();
    }));
}

TEST(DirSearch, SearchDataListsEveryEntryButDotAndDotDot)
{
    TempDir dir;
    dir.Write("b", "");
    dir.Write("a/x", "");
    TSearchData level(dir.Path().string(), "*.*");
    EXPECT_EQ(level.Folder(), dir.Folder());
    EXPECT_EQ(level.Mask(), "*.*");
    EXPECT_FALSE(level.NothingFound());
    std::vector<std::string> names;
    for (; level.Status() == 0; level.FindNext())
        names.push_back(level.SearchRec().Name);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
    level.FindNext();
    EXPECT_NE(level.Status(), 0);

    TSearchData missing(dir.File("missing"), "*.*");
    EXPECT_TRUE(missing.NothingFound());
    EXPECT_NE(missing.Status(), 0);
}

} // namespace
