// Symbolic links already inside the destination: extraction never follows
// one on its way to a file or folder, so nothing lands where a link points.
// An entry that would pass through a link is skipped (reason 3) with a
// reason that names the link, and the run goes on; an entry named like a
// link replaces the link itself, never the file it points to.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "ExtractSupport.h"
#include "TempDir.h"
#include "ZipReader.h"

namespace {

struct TLinkCase {
    const char* Label;
    const char* Link;   // made in the destination
    const char* Target; // where it points
    const char* Entry;  // the archive's first entry; "after.txt" follows
    TUZOverwriteMode Mode;
    const char* Log;     // the events of the first entry (a folder entry has no start)
    const char* Failure; // EntryFailure() at its skip
};

const std::vector<TLinkCase> LinkCases = {
    {"a file below a link", "link", "outside", "link/evil.txt", Always, "start 0\nskip 0 reason 3 DEST/link/evil.txt",
     "\"link\" is a symbolic link, which extraction does not follow"},
    {"a file below a link deeper down", "sub/link", "outside", "sub/link/deep/evil.txt", Always,
     "start 0\nskip 0 reason 3 DEST/sub/link/deep/evil.txt",
     "\"sub/link\" is a symbolic link, which extraction does not follow"},
    {"a folder entry below a link", "link", "outside", "link/made/", Always, "skip 0 reason 3 DEST/link/made/",
     "\"link\" is a symbolic link, which extraction does not follow"},
    {"a file named like the link, replaced", "link", "outside/kept.txt", "link", Always, "start 0\nend 0", ""},
    {"a file named like the link, kept", "link", "outside/kept.txt", "link", Never,
     "start 0\nskip 0 reason 1 DEST/link", "exists"},
};

TEST(ExtractLinks, NothingLandsWhereALinkPoints)
{
    for (const TLinkCase& c : LinkCases) {
        SCOPED_TRACE(c.Label);
        TempDir dir;
        const std::string dest = dir.File("dest");
        std::filesystem::create_directories(dir.File("outside"));
        dir.Write("outside/kept.txt", "outside stays");
        const std::filesystem::path link = dir.Path() / "dest" / c.Link;
        std::filesystem::create_directories(link.parent_path());
        std::filesystem::create_symlink(dir.File(c.Target), link);
        const std::string archive =
            dir.Write("in.zip", BuildStoredArchive({{c.Entry, c.Entry[std::strlen(c.Entry) - 1] == '/' ? "" : "evil"},
                                                    {"after.txt", "after"}}));
        TZipReader reader;
        SetUpExtraction(reader, archive, dest);
        reader.OverwriteMode = c.Mode;
        TEventLog log(reader);
        reader.UnZipToDestDir();

        std::string expected = std::string(c.Log) + "\nstart 1\nend 1\n";
        std::size_t at;
        while ((at = expected.find("DEST")) != std::string::npos)
            expected.replace(at, 4, dest);
        std::string events = log.Text();
        events = events.substr(events.find('\n') + 1);
        events = events.substr(0, events.rfind("complete"));
        EXPECT_EQ(events, expected);
        EXPECT_EQ(log.Failure, c.Failure);
        EXPECT_EQ(TreeNames(ReadTree(dir.File("outside"))), "kept.txt ");
        EXPECT_EQ(ReadFileBytes(dir.File("outside/kept.txt")), "outside stays");
        EXPECT_EQ(ReadFileBytes(dest + "/after.txt"), "after");
        const bool replaced = std::string(c.Log).ends_with("end 0");
        EXPECT_EQ(std::filesystem::is_symlink(link), !replaced);
        if (replaced) {
            EXPECT_EQ(ReadFileBytes(link.string()), "evil");
        }
    }
}

} // namespace
