// An update killed with SIGKILL half-way through writing its new archive:
// the old archive is as it was and nothing else is left beside it, since
// the new archive gets a name only once it is complete.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "ExtractSupport.h"
#include "SampleData.h"
#include "TempDir.h"
#include "ZipWriter.h"

namespace {

void Zip(const std::string& archive, const std::string& file, const TFilePercentDone& progress = nullptr)
{
    TZipWriter writer;
    writer.DoProcessMessages = false;
    writer.PackLevel = 0;
    writer.OnFilePercentDone = progress;
    writer.SetZipName(archive);
    writer.SetFilesList({file});
    writer.ZipListedFiles();
}

// Runs the update in a child process that kills itself once half of the
// input is written; the child's exit status.
int KilledUpdate(const std::string& archive, const std::string& input)
{
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            Zip(archive, input, [](TZipReader&, int percent) {
                if (percent >= 50)
                    ::kill(::getpid(), SIGKILL);
            });
        } catch (...) {
        }
        ::_exit(3); // not reached when the update runs as it should
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

TEST(UpdateKilled, LeavesOnlyTheOldArchive)
{
    TempDir dir;
    std::filesystem::create_directories(dir.File("album"));
    const std::string archive = dir.File("album/album.zip");
    Zip(archive, dir.Write("first.txt", "the first picture"));
    const std::string before = ReadFileBytes(archive);
    const std::string input = dir.Write("big.bin", RandomByteString(8 << 20, 7));

    const int status = KilledUpdate(archive, input);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(TreeNames(ReadTree(dir.File("album"))), "album.zip ");
    EXPECT_TRUE(ReadFileBytes(archive) == before);

    // Not killed, the same update replaces the archive and leaves nothing else.
    Zip(archive, input);
    EXPECT_EQ(TreeNames(ReadTree(dir.File("album"))), "album.zip ");
    EXPECT_GT(ReadFileBytes(archive).size(), std::size_t{8 << 20});
}

} // namespace
