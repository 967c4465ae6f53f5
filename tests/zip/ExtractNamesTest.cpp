// Entry names that try to leave the destination folder: whatever the name,
// with folders recreated or not and with an empty destination (the current
// folder), nothing is written outside the destination, the entry is skipped
// with reason 3 when no safe place is left, and the run goes on.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "ExtractSupport.h"
#include "TempDir.h"
#include "ZipReader.h"

namespace {

// Sets every central header's host byte (Unix-made names keep "\").
std::string WithHost(std::string archive, char host)
{
    for (std::size_t at = archive.find("PK\x01\x02"); at != std::string::npos; at = archive.find("PK\x01\x02", at + 4))
        archive[at + 5] = host;
    return archive;
}

// Changes to a folder for its own lifetime.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::string& folder) : previous_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~TCurrentFolder() { std::filesystem::current_path(previous_); }
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    std::filesystem::path previous_;
};

struct THostileName {
    std::string Name;
    char Host;
    std::string WithFolders;    // path below the destination; empty: skipped
    std::string WithoutFolders; // the same with RecreateDirs off
};

const std::string LongName(300, 'n');

const std::vector<THostileName> HostileNames = {
    {"../e", 0, "", "e"},
    {"a/../../e", 0, "", "e"},
    {"/pictoria-abs-test/e", 0, "pictoria-abs-test/e", "e"},
    {"..\\e", 0, "", "e"},
    {"..\\e", 3, "..\\e", "..\\e"},
    {"C:/e", 0, "e", "e"},
    {"a/..", 0, "", ""},
    {std::string("a\0b", 3), 0, "", ""},
    {LongName, 0, "", ""},
    {"", 0, "", ""},
    {".", 0, "", ""},
    {"/pictoview.ini", 0, "pictoview.ini", "pictoview.ini"},
    {"/Image1.jpg", 0, "Image1.jpg", "Image1.jpg"},
};

TEST(ExtractNames, HostileNamesNeverLeaveTheDestination)
{
    for (const THostileName& hostile : HostileNames)
        for (const bool recreateDirs : {true, false})
            for (const bool emptyDestDir : {false, true}) {
                SCOPED_TRACE(hostile.Name.substr(0, 40) + " host " + std::to_string(hostile.Host) +
                             (recreateDirs ? " folders" : " flat") + (emptyDestDir ? " cwd" : ""));
                TempDir dir;
                // The destination lies two folders deep, so that ".." parts
                // would land in folders the test can see.
                const std::string dest = dir.File("x/y/dest");
                std::filesystem::create_directories(dest);
                const std::string archive = dir.Write(
                    "in.zip", WithHost(BuildStoredArchive({{hostile.Name, "hostile"}, {"after.txt", "after"}}),
                                       hostile.Host));
                TZipReader reader;
                SetUpExtraction(reader, archive, emptyDestDir ? "" : dest);
                reader.RecreateDirs = recreateDirs;
                TEventLog log(reader);
                int extracted = 0;
                {
                    TCurrentFolder inside(dest);
                    extracted = reader.UnZipToDestDir();
                }
                const std::string expected = recreateDirs ? hostile.WithFolders : hostile.WithoutFolders;
                TTree tree = ReadTree(dir.Path());
                EXPECT_EQ(tree.erase("in.zip"), 1u);
                EXPECT_EQ(tree.erase("x"), 1u);
                EXPECT_EQ(tree.erase("x/y"), 1u);
                EXPECT_EQ(tree.erase("x/y/dest"), 1u);
                EXPECT_EQ(tree.erase("x/y/dest/after.txt"), 1u);
                if (!expected.empty()) {
                    EXPECT_EQ(tree["x/y/dest/" + expected].Bytes, "hostile");
                    tree.erase("x/y/dest/" + expected);
                    const auto folder = std::filesystem::path(expected).parent_path();
                    if (!folder.empty())
                        tree.erase("x/y/dest/" + folder.string());
                    EXPECT_EQ(extracted, 2) << log.Text();
                } else {
                    EXPECT_EQ(extracted, 1);
                    EXPECT_NE(log.Text().find("skip 0 reason 3"), std::string::npos) << log.Text();
                }
                // Folders the name asked for may stay behind, but only inside
                // the destination and empty.
                for (const auto& [name, item] : tree)
                    EXPECT_TRUE(item.Folder && name.rfind("x/y/dest/", 0) == 0) << name;
                EXPECT_FALSE(std::filesystem::exists("/pictoria-abs-test"));
            }
}

TEST(ExtractNames, FolderEntriesWithHostileNamesAreSkipped)
{
    TempDir dir;
    const std::string dest = dir.File("x/dest");
    const std::string archive = dir.Write("in.zip", BuildStoredArchive({{"../up/", ""}, {"ok/", ""}}));
    TZipReader reader;
    SetUpExtraction(reader, archive, dest);
    TEventLog log(reader);
    EXPECT_EQ(reader.UnZipToDestDir(), 1);
    EXPECT_TRUE(std::filesystem::is_directory(dest + "/ok"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("x/up")));
    EXPECT_NE(log.Text().find("skip 0 reason 3 ../up/"), std::string::npos) << log.Text();
}

TEST(ExtractNames, AFolderEntryThatNamesNoFolderBelowTheDestinationIsTheDestination)
{
    struct Case {
        const char* Label;
        const char* RootDir;
        std::vector<TTestEntry> Entries;
        const char* Tree;
    };
    const std::vector<Case> cases = {
        {"the root folder itself", "photos/", {{"photos/", ""}, {"photos/sub/", ""}, {"photos/sub/a.txt", "a"}},
         "sub/ sub/a.txt "},
        {"the root folder in other letters", "Photos/", {{"photos/", ""}, {"photos/b.txt", "b"}}, "b.txt "},
        {"a lone slash", "", {{"/", ""}, {"c.txt", "c"}}, "c.txt "},
        {"a dot", "", {{"./", ""}, {"d.txt", "d"}}, "d.txt "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        TempDir dir;
        const std::string dest = dir.File("dest");
        const std::string archive = dir.Write("in.zip", BuildStoredArchive(c.Entries));
        TZipReader reader;
        SetUpExtraction(reader, archive, dest);
        reader.SetRootDir(c.RootDir);
        TEventLog log(reader);
        EXPECT_EQ(reader.UnZipToDestDir(), static_cast<int>(c.Entries.size()));
        EXPECT_EQ(log.Text().find("skip"), std::string::npos) << log.Text();
        EXPECT_EQ(TreeNames(ReadTree(dest)), c.Tree);
    }
}

} // namespace
