// Block sets against Info-ZIP, through the engine's driver: our sets, renamed
// to Info-ZIP's split names (.z01, .z02, ... and .zip for the last), are
// joined by `zip -s 0` and pass the peers; Info-ZIP's split archives, renamed
// to our block names, list and extract with the driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "PeerCheck.h"
#include "RunCommand.h"
#include "SampleData.h"
#include "TempDir.h"
#include "VolumeTestSupport.h"

namespace {

const std::string Driver = ZIPDRIVER_PATH;

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string Block(const std::string& base, int n)
{
    std::string number = std::to_string(n);
    return base + "." + std::string(number.size() < 3 ? 3 - number.size() : 0, '0') + number;
}

// Renames our blocks base.001 .. base.00N to Info-ZIP's base.z01 ..
// base.z(N-1) and base.zip.
void RenameToSplitNames(const std::string& base, int count)
{
    for (int i = 1; i < count; ++i)
        std::filesystem::rename(Block(base, i), base + ".z" + TwoDigits(i));
    std::filesystem::rename(Block(base, count), base + ".zip");
}

// The other way round; returns the last block's name.
std::string RenameToBlockNames(const std::string& base)
{
    int i = 1;
    for (; std::filesystem::exists(base + ".z" + TwoDigits(i)); ++i)
        std::filesystem::rename(base + ".z" + TwoDigits(i), Block(base, i));
    std::filesystem::rename(base + ".zip", Block(base, i));
    return Block(base, i);
}

int BlockCount(const std::string& base)
{
    int count = 0;
    while (std::filesystem::exists(Block(base, count + 1)))
        ++count;
    return count;
}

// The source files of a test: text that deflates well and noise that does not.
void WriteSources(const TempDir& dir, int textFiles)
{
    for (int i = 0; i < textFiles; ++i) {
        std::string text;
        for (int line = 0; line < 400 + i * 50; ++line)
            text += "line " + std::to_string(line) + " of photo caption file " + std::to_string(i) + "\n";
        dir.Write("src/caption" + std::to_string(i) + ".txt", text);
    }
    dir.Write("src/noise.jpg", RandomByteString(150000, 7));
}

std::string InDir(const TempDir& dir, const std::string& command)
{
    return "cd " + ShellQuote(dir.Folder()) + " && " + command;
}

} // namespace

TEST(BlockPeers, OurBlockSetsJoinedByInfoZipPassThePeers)
{
    const struct {
        const char* name;
        const char* options;
    } cases[] = {
        {"stored, small blocks", "-l 0 --blocks 30000,20000"},
        {"deflated", "-l 6 --blocks 65536,40000"},
        {"encrypted", "-l 9 -p secret --blocks 50000,30000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteSources(dir, 5);
        RunChecked(InDir(dir, ShellQuote(Driver) + " create set.zip " + c.options + " -r src"));
        const int count = BlockCount(dir.File("set"));
        ASSERT_GT(count, 2);
        RenameToSplitNames(dir.File("set"), count);
        RunChecked(InDir(dir, "zip -q -s 0 set.zip --out joined.zip"));
        const std::string password = std::string(c.options).find("-p") != std::string::npos ? "secret" : "";
        ExpectPeersAccept(dir, dir.File("joined.zip"), password);
        const auto entries = PythonEntries(dir, dir.File("joined.zip"), password);
        EXPECT_EQ(entries.at("src/noise.jpg"), ReadFileBytes(dir.File("src/noise.jpg")));
        EXPECT_EQ(entries.at("src/caption4.txt"), ReadFileBytes(dir.File("src/caption4.txt")));
    }
}

TEST(BlockPeers, InfoZipSplitArchivesListAndExtract)
{
    const struct {
        const char* name;
        int textFiles;
        int smallFiles;
    } cases[] = {
        {"a few files across volumes", 6, 0},
        // A directory larger than one volume.
        {"many files", 0, 1200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteSources(dir, c.textFiles);
        for (int i = 0; i < c.smallFiles; ++i)
            dir.Write("src/a_long_name_for_a_small_picture_caption_" + std::to_string(i) + ".txt",
                      "caption " + std::to_string(i));
        RunChecked(InDir(dir, "zip -q -r -s 64k split.zip src"));
        ASSERT_TRUE(std::filesystem::exists(dir.File("split.z02")));
        const std::string last = RenameToBlockNames(dir.File("split"));

        const std::string listing = RunChecked(ShellQuote(Driver) + " list " + ShellQuote(last));
        EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), c.textFiles + c.smallFiles + 2);
        RunChecked(ShellQuote(Driver) + " extract " + ShellQuote(last) + " " + ShellQuote(dir.File("out")));
        RunChecked("diff -r " + ShellQuote(dir.File("src")) + " " + ShellQuote(dir.File("out/src")));
    }
}

TEST(BlockPeers, TheDriverReadsASetByItsLastBlockOrByTheArchiveName)
{
    TempDir dir;
    WriteSources(dir, 2);
    RunChecked(InDir(dir, ShellQuote(Driver) + " create set.zip -l 0 --blocks 60000,60000 -r src"));
    const int count = BlockCount(dir.File("set"));
    ASSERT_GT(count, 2);
    const std::string byLastBlock =
        RunChecked(ShellQuote(Driver) + " list " + ShellQuote(Block(dir.File("set"), count)));
    EXPECT_EQ(RunChecked(ShellQuote(Driver) + " list " + ShellQuote(dir.File("set.zip"))), byLastBlock);
    RunChecked(ShellQuote(Driver) + " extract " + ShellQuote(dir.File("set.zip")) + " " + ShellQuote(dir.File("out")));
    EXPECT_EQ(ReadFileBytes(dir.File("out/src/noise.jpg")), ReadFileBytes(dir.File("src/noise.jpg")));
}

TEST(BlockPeers, ASetWrittenOverAnArchiveIsWhatTheDriverThenLists)
{
    TempDir dir;
    WriteSources(dir, 2);
    dir.Write("old.txt", "the archive before");
    RunChecked(InDir(dir, ShellQuote(Driver) + " create set.zip old.txt"));
    RunChecked(InDir(dir, ShellQuote(Driver) + " create set.zip -l 0 --blocks 60000,60000 -r src"));
    const int count = BlockCount(dir.File("set"));
    ASSERT_GT(count, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("set.zip")));
    const std::string listing = RunChecked(ShellQuote(Driver) + " list " + ShellQuote(dir.File("set.zip")));
    EXPECT_EQ(listing, RunChecked(ShellQuote(Driver) + " list " + ShellQuote(Block(dir.File("set"), count))));
    EXPECT_EQ(listing.find("old.txt"), std::string::npos) << listing;
}

TEST(BlockPeers, TheDriverRefusesMalformedBlockSizes)
{
    TempDir dir;
    dir.Write("a.txt", "a");
    for (const char* sizes : {"1000", "1000,", "x,1000", ""}) {
        SCOPED_TRACE(sizes);
        const TCommandResult result = RunCommand(
            InDir(dir, ShellQuote(Driver) + " create set.zip --blocks " + ShellQuote(sizes) + " a.txt 2>/dev/null"));
        EXPECT_EQ(result.ExitCode, 2);
        EXPECT_FALSE(std::filesystem::exists(dir.File("set.zip")));
    }
}
