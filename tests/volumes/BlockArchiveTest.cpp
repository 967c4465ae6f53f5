// Block sets written and read back: where the writer cuts volumes (tables of
// boundary cases at pack level 0, where every size is known), how blocks are
// named, and how failures end.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>

#include "CheckByteRefusal.h"
#include "SampleData.h"
#include "TempDir.h"
#include "VolumeTestSupport.h"
#include "ZipExceptions.h"

namespace {

// Sizes at pack level 0 of an entry named "a.bin" (5 bytes): local header
// 30 + 5, central header 46 + 5; the end record without comment is 22.
constexpr std::int64_t LocalA = 35;
constexpr std::int64_t CentralA = 51;
constexpr std::int64_t EndRecord = 22;

struct TBoundaryCase {
    const char* name;
    std::vector<std::pair<std::string, std::size_t>> entries; // name, size
    std::int64_t firstBlockSize;
    std::int64_t blockSize;
    // The files of the set, by name, with their sizes.
    std::map<std::string, std::int64_t> files;
    std::string zipName;
    int centralDirDisk;
};

std::vector<TVolumeEntry> MakeEntries(const std::vector<std::pair<std::string, std::size_t>>& sizes)
{
    std::vector<TVolumeEntry> entries;
    std::uint32_t seed = 1;
    for (const auto& [name, size] : sizes)
        entries.push_back(TVolumeEntry{name, RandomByteString(size, seed++)});
    return entries;
}

std::map<std::string, std::int64_t> FileSizesIn(const std::filesystem::path& folder)
{
    std::map<std::string, std::int64_t> sizes;
    for (const auto& file : std::filesystem::directory_iterator(folder))
        sizes[file.path().filename().string()] = static_cast<std::int64_t>(file.file_size());
    return sizes;
}

} // namespace

TEST(BlockArchive, BoundariesCutWhereTheRoomEnds)
{
    const TBoundaryCase cases[] = {
        {"one block",
         {{"a.bin", 10}},
         1000,
         1000,
         {{"backup.zip", LocalA + 10 + CentralA + EndRecord}},
         "backup.zip",
         0},
        {"end record filling the first block exactly",
         {{"a.bin", 10}},
         LocalA + 10 + CentralA + EndRecord,
         1000,
         {{"backup.zip", LocalA + 10 + CentralA + EndRecord}},
         "backup.zip",
         0},
        {"data ending exactly at the end of a volume",
         {{"a.bin", 65}},
         LocalA + 65,
         1000,
         {{"backup.001", LocalA + 65}, {"backup.002", CentralA + EndRecord}},
         "backup.002",
         1},
        {"local header equal to the room left",
         {{"a.bin", 10}, {"b.bin", 10}},
         LocalA + 10 + LocalA,
         1000,
         {{"backup.001", LocalA + 10}, {"backup.002", LocalA + 10 + 2 * CentralA + EndRecord}},
         "backup.002",
         1},
        {"central header equal to the room left",
         {{"a.bin", 10}},
         LocalA + 10 + CentralA,
         1000,
         {{"backup.001", LocalA + 10 + CentralA}, {"backup.002", EndRecord}},
         "backup.002",
         0},
        {"three blocks",
         {{"a.bin", 150}},
         100,
         100,
         {{"backup.001", 100}, {"backup.002", 150 - (100 - LocalA)}, {"backup.003", CentralA + EndRecord}},
         "backup.003",
         2},
    };
    for (const TBoundaryCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TZipWriter writer;
        UseBlocks(writer, c.firstBlockSize, c.blockSize);
        writer.SetZipName(dir.File("backup.zip"));
        const std::vector<TVolumeEntry> entries = MakeEntries(c.entries);
        WriteEntries(writer, entries);

        EXPECT_EQ(FileSizesIn(dir.Path()), c.files);
        EXPECT_EQ(writer.GetZipName(), dir.File(c.zipName));
        EXPECT_EQ(writer.NumDisks(), static_cast<int>(c.files.size()));

        TZipReader reader;
        reader.DoProcessMessages = false;
        reader.SetZipName(dir.File(c.zipName));
        EXPECT_EQ(ReadEntries(reader), entries);
        EXPECT_EQ(reader.EndRecord().CentralDirDisk, c.centralDirDisk);
        EXPECT_EQ(reader.NumDisks(), static_cast<int>(c.files.size()));
    }
}

TEST(BlockArchive, ALocalHeaderEqualToTheRoomLeftStartsItsEntryOnTheNextVolume)
{
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, LocalA + 10 + LocalA, 1000);
    writer.SetZipName(dir.File("backup.zip"));
    WriteEntries(writer, MakeEntries({{"a.bin", 10}, {"b.bin", 10}}));
    TZipReader reader;
    reader.SetZipName(writer.GetZipName());
    reader.ReadZip();
    ASSERT_EQ(reader.GetCount(), 2);
    EXPECT_EQ(reader.GetEntry(1).DiskNumberStart, 1);
    EXPECT_EQ(reader.GetEntry(1).LocalHeaderOffset, 0u);
}

TEST(BlockArchive, BlockOneThousandHasFourDigitsAndTheSetReadsBack)
{
    // "big.bin": local header 37, central header 53. The data fill blocks 1
    // to 999 exactly; block 1000 holds the directory.
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 137, 100);
    writer.SetZipName(dir.File("backup.zip"));
    const std::vector<TVolumeEntry> entries = MakeEntries({{"big.bin", 100 + 998 * 100}});
    WriteEntries(writer, entries);
    EXPECT_EQ(writer.GetZipName(), dir.File("backup.1000"));
    EXPECT_EQ(std::filesystem::file_size(dir.File("backup.999")), 100u);
    EXPECT_EQ(std::filesystem::file_size(dir.File("backup.1000")), 53u + 22u);
    EXPECT_EQ(FilesIn(dir.Path()).size(), 1000u);
    EXPECT_EQ(ReadEntries(dir.File("backup.1000")), entries);
}

TEST(BlockArchive, SetsOfMoreThanAThousandBlocksReadBackFromTheLastBlockAndFromTheSideFile)
{
    // As above, with one block more of data: block 1001 holds the directory,
    // and the end record says disk 1000.
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 137, 100);
    writer.MultiZipInfo().SaveZipInfoOnFirstDisk = true;
    writer.SetZipName(dir.File("backup.zip"));
    const std::vector<TVolumeEntry> entries = MakeEntries({{"big.bin", 100 + 999 * 100}});
    WriteEntries(writer, entries);
    EXPECT_EQ(writer.GetZipName(), dir.File("backup.1001"));
    EXPECT_EQ(std::filesystem::file_size(dir.File("backup.1000")), 100u);
    EXPECT_TRUE(std::filesystem::exists(dir.File("backup.zfc")));

    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(dir.File("backup.1001"));
    EXPECT_EQ(ReadEntries(reader), entries);
    EXPECT_EQ(reader.NumDisks(), 1001);
    EXPECT_EQ(ReadEntries(dir.File("backup.001")), entries);
}

TEST(BlockArchive, ASetNeedingMoreVolumesThanDiskNumbersCountFailsAndLeavesNoBlock)
{
    // Disk numbers run from 0 to 0xFFFE. "big.bin" fills its first block
    // (local header 37) and 0xFFFE more; its central header (53) and the end
    // record would need disk 0xFFFF, which reads as a zip64 marker.
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 37 + 75, 75);
    writer.SetZipName(dir.File("backup.zip"));
    EXPECT_THROW(WriteEntries(writer, MakeEntries({{"big.bin", 75 + 0xFFFE * 75}})), ENotEnoughRoom);
    EXPECT_TRUE(FilesIn(dir.Path()).empty());
}

TEST(BlockArchive, AnEncryptedEntryWhoseHeaderCrossesIntoTheNextBlockIsExtracted)
{
    // The first block ends `left` bytes into the 12-byte encryption header.
    const struct {
        int left;
        int packLevel;
    } cases[] = {{1, 0}, {6, 0}, {11, 0}, {12, 0}, {5, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE("header bytes on the first block: " + std::to_string(c.left) + ", level " +
                     std::to_string(c.packLevel));
        TempDir dir;
        TZipWriter writer;
        UseBlocks(writer, LocalA + c.left, 1000);
        writer.PackLevel = c.packLevel;
        writer.SetZipName(dir.File("backup.zip"));
        const std::vector<TVolumeEntry> entries = {{"a.bin", std::string(3000, 'p') + RandomByteString(500, 9)}};
        WriteEntries(writer, entries, "secret");
        ASSERT_EQ(std::filesystem::file_size(dir.File("backup.001")), static_cast<std::uintmax_t>(LocalA + c.left));

        TZipReader reader;
        reader.DoProcessMessages = false;
        reader.Password = "secret";
        reader.SetZipName(writer.GetZipName());
        EXPECT_EQ(ReadEntries(reader), entries);
        EXPECT_TRUE(reader.GetEntry(0).Encrypted());

        // A wrong password first: the header is read again from its start.
        // One that the check byte refuses, which a wrong one passes by
        // chance 1 time in 256.
        const std::optional<std::string> wrong = PasswordTheCheckBytesRefuse(writer.GetZipName(), "wrong");
        ASSERT_TRUE(wrong);
        TZipReader retried;
        retried.DoProcessMessages = false;
        retried.Password = *wrong;
        int asked = 0;
        retried.OnBadPassword = [&](TZipReader&, int, std::string& password) {
            ++asked;
            password = "secret";
        };
        retried.SetZipName(writer.GetZipName());
        EXPECT_EQ(ReadEntries(retried), entries);
        EXPECT_EQ(asked, 1);

        // Into a file.
        TZipReader toFile;
        toFile.DoProcessMessages = false;
        toFile.Password = "secret";
        toFile.DoAll = true;
        toFile.SetZipName(writer.GetZipName());
        toFile.SetDestDir(dir.File("out"));
        EXPECT_EQ(toFile.UnZipToDestDir(), 1) << toFile.EntryFailure();
        EXPECT_EQ(ReadFileBytes(dir.File("out/a.bin")), entries[0].Data);
    }
}

TEST(BlockArchive, DeflatedEntriesAndSeveralFilesRoundTrip)
{
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 3000, 2000);
    writer.PackLevel = 6;
    writer.SetZipName(dir.File("photos.pxa"));
    std::vector<TVolumeEntry> entries;
    for (int i = 0; i < 6; ++i)
        entries.push_back(
            TVolumeEntry{"Image" + std::to_string(i) + ".jpg", RandomByteString(1500, i) + std::string(3000, 'x')});
    WriteEntries(writer, entries);
    EXPECT_GT(writer.NumDisks(), 2);
    EXPECT_EQ(ReadEntries(writer.GetZipName()), entries);
}

TEST(BlockArchive, ASetWrittenOverAnArchiveReplacesIt)
{
    const struct {
        const char* name;
        std::int64_t blockSize;
        std::size_t dataSize;
        std::vector<std::string> files;
    } cases[] = {
        {"one block", 1000, 10, {"backup.zip"}},
        {"three blocks", 100, 150, {"backup.001", "backup.002", "backup.003"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TZipWriter single;
        single.DoProcessMessages = false;
        single.SetZipName(dir.File("backup.zip"));
        WriteEntries(single, MakeEntries({{"old.bin", 20}}));

        TZipWriter writer;
        UseBlocks(writer, c.blockSize, c.blockSize);
        writer.SetZipName(dir.File("backup.zip"));
        const std::vector<TVolumeEntry> entries = MakeEntries({{"a.bin", c.dataSize}});
        WriteEntries(writer, entries);
        EXPECT_EQ(FilesIn(dir.Path()), c.files);
        EXPECT_EQ(ReadEntries(writer.GetZipName()), entries);
    }
}

TEST(BlockArchive, ABuildKilledHalfWayLeavesNoTemporaryFile)
{
    TempDir dir;
    std::filesystem::create_directories(dir.File("temp"));
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            TZipWriter writer;
            UseBlocks(writer, 1 << 20, 1 << 20);
            writer.TempPath = dir.File("temp");
            writer.OnFilePercentDone = [](TZipReader&, int percent) {
                if (percent >= 25)
                    ::kill(::getpid(), SIGKILL);
            };
            writer.SetZipName(dir.File("backup.zip"));
            WriteEntries(writer, MakeEntries({{"big.bin", 4 << 20}}));
        } catch (...) {
        }
        ::_exit(3); // not reached when the build runs as it should
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(FilesIn(dir.File("temp")).empty());
}

struct TFailureCase {
    const char* name;
    std::int64_t firstBlockSize;
    std::int64_t blockSize;
    std::size_t dataSize;
};

TEST(BlockArchive, AFailedBuildRemovesEveryBlockItCreatedAndNothingElse)
{
    const TFailureCase cases[] = {
        {"first block without room", 0, 100, 10},
        {"later block without room", 100, 0, 500},
        {"local header larger than any block", 20, 20, 10},
        {"central header larger than a fresh block", LocalA + 10 + 1, 40, 10},
    };
    for (const TFailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.Write("backup.zip", "an older archive");
        dir.Write("backup.txt", "a neighbour");
        // The same writer made another set before.
        TZipWriter writer;
        UseBlocks(writer, 100, 100);
        writer.SetZipName(dir.File("earlier.zip"));
        WriteEntries(writer, MakeEntries({{"a.bin", 150}}));
        UseBlocks(writer, c.firstBlockSize, c.blockSize);
        writer.SetZipName(dir.File("backup.zip"));
        EXPECT_THROW(WriteEntries(writer, MakeEntries({{"a.bin", c.dataSize}})), ENotEnoughRoom);
        EXPECT_EQ(FilesIn(dir.Path()),
                  (std::vector<std::string>{"backup.txt", "backup.zip", "earlier.001", "earlier.002", "earlier.003"}));
        EXPECT_EQ(ReadFileBytes(dir.File("backup.zip")), "an older archive");
    }
}

TEST(BlockArchive, AHandlerGivingNoNameCancelsTheBuildAndItsBlocksGo)
{
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 100, 100);
    writer.OnGetNextDisk = [](TZipReader&, int, std::string& name) { name.clear(); };
    writer.SetZipName(dir.File("backup.zip"));
    EXPECT_THROW(WriteEntries(writer, MakeEntries({{"a.bin", 500}})), EUserCanceled);
    EXPECT_TRUE(FilesIn(dir.Path()).empty());
}

TEST(BlockArchive, AMissingBlockOrNoHandlerEndsTheReadWithUserCanceled)
{
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 100, 100);
    writer.SetZipName(dir.File("backup.zip"));
    WriteEntries(writer, MakeEntries({{"a.bin", 150}}));
    ASSERT_EQ(writer.GetZipName(), dir.File("backup.003"));

    std::filesystem::remove(dir.File("backup.001"));
    TZipReader reader;
    reader.DoProcessMessages = false;
    int asked = 0;
    reader.OnGetNextDisk = [&](TZipReader& sender, int disk, std::string& name) {
        ++asked;
        TZipReader::DefaultGetNextDisk(sender, disk, name);
    };
    reader.SetZipName(dir.File("backup.003"));
    reader.ReadZip();
    TMemoryStream data;
    EXPECT_THROW(reader.UnZipToStreamByIndex(&data, 0), EUserCanceled);
    EXPECT_EQ(asked, 2);

    // A set whose directory lies on a block before the end record's.
    TempDir other;
    UseBlocks(writer, LocalA + 10 + CentralA, 1000);
    writer.SetZipName(other.File("backup.zip"));
    WriteEntries(writer, MakeEntries({{"a.bin", 10}}));
    TZipReader unhandled;
    unhandled.OnGetNextDisk = nullptr;
    unhandled.SetZipName(other.File("backup.002"));
    EXPECT_THROW(unhandled.ReadZip(), EUserCanceled);
}

TEST(BlockArchive, TheDefaultHandlerNamesBlocksFromTheBaseNameAndNumber)
{
    const struct {
        std::string given;
        int disk;
        std::string named;
    } table[] = {
        {"/a/backup.zip", 1, "/a/backup.001"},         {"/a/backup.003", 2, "/a/backup.002"},
        {"/a/backup.999", 1000, "/a/backup.1000"},     {"/a.b/backup", 12, "/a.b/backup.012"},
        {"/a/photos.pxa.zip", 3, "/a/photos.pxa.003"},
    };
    TZipReader reader;
    for (const auto& c : table) {
        SCOPED_TRACE(c.given);
        std::string name = c.given;
        TZipReader::DefaultGetNextDisk(reader, c.disk, name);
        EXPECT_EQ(name, c.named);
    }
}

TEST(BlockArchive, ProgressCountsReadingAndTheCopyOntoTheVolumesAsHalves)
{
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 20000, 20000);
    writer.SetZipName(dir.File("backup.zip"));
    std::vector<int> file;
    std::vector<int> total;
    writer.OnFilePercentDone = [&](TZipReader&, int percent) { file.push_back(percent); };
    writer.OnTotalPercentDone = [&](TZipReader&, int percent) { total.push_back(percent); };
    WriteEntries(writer, MakeEntries({{"a.bin", 50000}}));
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(std::is_sorted(file.begin(), file.end()));
    EXPECT_NE(std::find(file.begin(), file.end(), 50), file.end());
    EXPECT_EQ(file.back(), 100);
    EXPECT_TRUE(std::is_sorted(total.begin(), total.end()));
    EXPECT_EQ(total.back(), 100);
}

TEST(BlockArchive, AnEntryStraddlingBlocksIsReadAsStoredAndCarriedIntoAnotherArchive)
{
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 100, 100);
    writer.SetZipName(dir.File("backup.zip"));
    const std::vector<TVolumeEntry> entries = MakeEntries({{"a.bin", 150}, {"b.bin", 120}});
    WriteEntries(writer, entries);

    TZipReader reader;
    reader.SetZipName(writer.GetZipName());
    reader.ReadZip();
    const TStoredEntry stored = reader.ReadStoredEntry(1);
    EXPECT_EQ(std::string(stored.Bytes.begin(), stored.Bytes.end()), entries[1].Data);

    TZipWriter single;
    single.DoProcessMessages = false;
    single.SetZipName(dir.File("single.zip"));
    single.AddStreamEntries({TStreamEntry{nullptr, "b.bin", "", &stored}});
    EXPECT_EQ(ReadEntries(dir.File("single.zip")), std::vector<TVolumeEntry>{entries[1]});
}

TEST(BlockArchive, AStoredEntryClaimingMoreThanTheSetHoldsIsRefused)
{
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 100, 1000);
    writer.SetZipName(dir.File("backup.zip"));
    WriteEntries(writer, MakeEntries({{"a.bin", 150}, {"b.bin", 120}}));
    // The second central header, in the last block, claims 3.75 GiB of data.
    std::string last = ReadFileBytes(writer.GetZipName());
    const std::size_t second = last.find("PK\x01\x02", last.find("PK\x01\x02") + 4);
    ASSERT_NE(second, std::string::npos);
    last.replace(second + 20, 4, "\x00\x00\x00\xF0", 4);
    dir.Write(std::filesystem::path(writer.GetZipName()).filename().string(), last);

    TZipReader reader;
    reader.SetZipName(writer.GetZipName());
    reader.ReadZip();
    try {
        reader.ReadStoredEntry(1);
        FAIL() << "read";
    } catch (const EBadZipFile& e) {
        EXPECT_NE(std::string(e.what()).find("b.bin"), std::string::npos) << e.what();
    }
}

TEST(BlockArchive, BlockNamesComeFromTheBaseNameWhateverTheHandlerAnswers)
{
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 100, 100);
    std::vector<int> asked;
    writer.OnGetNextDisk = [&](TZipReader&, int disk, std::string& name) {
        asked.push_back(disk);
        name = "/elsewhere/other.ZIP";
    };
    writer.SetZipName(dir.File("backup.zip"));
    const std::vector<TVolumeEntry> entries = MakeEntries({{"a.bin", 150}});
    WriteEntries(writer, entries);
    EXPECT_EQ(asked, (std::vector<int>{2, 3}));
    EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::string>{"backup.001", "backup.002", "backup.003"}));
    EXPECT_EQ(ReadEntries(dir.File("backup.003")), entries);
}
