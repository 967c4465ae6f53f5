// The writer component: its settings and their coupling, Assign and Loaded,
// the stream entry points and the events of adding one entry, the stored
// names that the path settings give.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PeerCheck.h"
#include "Exceptions.h"
#include "TempDir.h"
#include "ZipReader.h"
#include "ZipWriter.h"

namespace {

TMemoryStream MemoryOf(const std::string& text)
{
    return TMemoryStream(std::vector<std::uint8_t>(text.begin(), text.end()));
}

struct TWriterFixture {
    TempDir dir;
    TZipWriter writer;
    std::string archive = dir.File("out.zip");

    TWriterFixture()
    {
        writer.DoProcessMessages = false;
        writer.SetZipName(archive);
    }

    std::unique_ptr<TZipReader> Read() const
    {
        auto reader = std::make_unique<TZipReader>();
        reader->SetZipName(archive);
        reader->ReadZip();
        return reader;
    }
};

// The reader copies the reading code uses.
TMultiMode ReaderMultiMode(const TZipWriter& writer) { return writer.TZipReader::GetMultiMode(); }
bool ReaderCheckDiskLabels(const TZipWriter& writer) { return writer.TZipReader::GetCheckDiskLabels(); }

TEST(ZipWriter, StartsWithTheDefaults)
{
    TZipWriter writer;
    EXPECT_EQ(writer.PackLevel, 6);
    EXPECT_FALSE(writer.Recurse || writer.Dispose || writer.StorePaths() || writer.RelativePaths() ||
                 writer.StoreVolumes() || writer.Store83Names || writer.AddDirEntriesOnRecurse);
    EXPECT_EQ(writer.ZipAction, zaUpdate);
    EXPECT_EQ(writer.MultiZipInfo().BlockSize, 1457600);
    EXPECT_EQ(writer.MultiZipInfo().FirstBlockSize, 1457600);
    EXPECT_EQ(writer.MultiZipInfo().MultiMode, mmNone);
    EXPECT_TRUE(writer.MultiZipInfo().CheckDiskLabels && writer.MultiZipInfo().WriteDiskLabels);
    EXPECT_TRUE(ReaderCheckDiskLabels(writer));
    EXPECT_TRUE(writer.ExcludeList().empty() && writer.NoCompressList().empty());
}

TEST(ZipWriter, PathSettersKeepEachOtherConsistent)
{
    TZipWriter writer;
    writer.SetStoreVolumes(true);
    EXPECT_TRUE(writer.StorePaths());
    writer.SetRelativePaths(true);
    EXPECT_TRUE(writer.Recurse);
    writer.SetStorePaths(false);
    EXPECT_FALSE(writer.StoreVolumes() || writer.RelativePaths() || writer.StorePaths());
    // The compiler's form: StorePaths, then StoreVolumes.
    TZipWriter compiler;
    compiler.SetStorePaths(true);
    compiler.SetStoreVolumes(true);
    EXPECT_TRUE(compiler.StorePaths() && compiler.StoreVolumes());
    EXPECT_FALSE(compiler.RelativePaths());
}

TEST(ZipWriter, LoadedMirrorsMultiZipInfoIntoTheReader)
{
    TZipWriter writer;
    writer.MultiZipInfo().MultiMode = mmBlocks;
    writer.MultiZipInfo().CheckDiskLabels = false;
    EXPECT_EQ(ReaderMultiMode(writer), mmNone);
    writer.Loaded();
    EXPECT_EQ(ReaderMultiMode(writer), mmBlocks);
    EXPECT_FALSE(ReaderCheckDiskLabels(writer));
    writer.MultiZipInfo().MultiMode = mmSpan;
    EXPECT_EQ(ReaderMultiMode(writer), mmBlocks);
    writer.SetMultiMode(mmSpan);
    EXPECT_EQ(ReaderMultiMode(writer), mmSpan);
}

TEST(ZipWriter, AssignCopiesSettingsAndMostEvents)
{
    TZipWriter source;
    source.SetZipName("/albums/holiday.zip");
    source.KeepZipOpen = true;
    source.OnBadCRC = [](auto&&...) {};
    source.PackLevel = 9;
    source.SetRelativePaths(true);
    source.ZipAction = zaFreshen;
    source.ExpandWildcards = false;
    source.MultiZipInfo().BlockSize = 1000;
    source.SetExcludeList({"*.tmp"});
    source.SetNoCompressList({"*.jpg"});
    source.OnZipComplete = [](TZipWriter&, int) {};
    source.OnEncrypt = [](TZipWriter&, std::uint8_t*, int, const std::string&) {};
    TZipWriter copy;
    copy.Assign(source);
    EXPECT_EQ(copy.GetZipName(), "/albums/holiday.zip");
    EXPECT_TRUE(copy.KeepZipOpen);
    EXPECT_TRUE(copy.OnBadCRC);
    EXPECT_EQ(copy.PackLevel, 9);
    EXPECT_TRUE(copy.RelativePaths() && copy.StorePaths() && copy.Recurse);
    EXPECT_EQ(copy.ZipAction, zaFreshen);
    EXPECT_FALSE(copy.ExpandWildcards);
    EXPECT_EQ(copy.MultiZipInfo().BlockSize, 1000);
    EXPECT_EQ(copy.ExcludeList(), std::vector<std::string>{"*.tmp"});
    EXPECT_EQ(copy.NoCompressList(), std::vector<std::string>{"*.jpg"});
    EXPECT_TRUE(copy.OnZipComplete);
    EXPECT_FALSE(copy.OnEncrypt);

    // From a plain reader, only the reader's half.
    TZipReader reader;
    reader.SetZipName("/albums/other.zip");
    copy.Assign(reader);
    EXPECT_EQ(copy.GetZipName(), "/albums/other.zip");
    EXPECT_FALSE(copy.KeepZipOpen);
    EXPECT_EQ(copy.PackLevel, 9);
}

// The level's flag bits describe how hard deflate tried; they stay when the
// data would not shrink and the entry falls back to storing.
TEST(ZipWriter, TheLevelFlagsStayWhenAnEntryFallsBackToStoring)
{
    std::string noise(20000, '\0');
    std::uint32_t seed = 12345;
    for (char& c : noise)
        c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    const std::string text = std::string(20000, 'a');
    const struct {
        int level;
        std::uint16_t flags;
    } cases[] = {{0, 0}, {1, 4}, {2, 4}, {3, 0}, {6, 0}, {7, 0}, {8, 2}, {9, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        TWriterFixture f;
        f.writer.PackLevel = c.level;
        TMemoryStream noiseStream = MemoryOf(noise);
        TMemoryStream textStream = MemoryOf(text);
        f.writer.AddStreamEntry(&noiseStream, "noise.bin");
        f.writer.AddStreamEntry(&textStream, "text.txt");
        const auto reader = f.Read();
        for (int i = 0; i < reader->GetCount(); ++i) {
            const TZipHeaderInfo& entry = reader->GetEntry(i);
            SCOPED_TRACE(entry.Filename());
            EXPECT_EQ(entry.CompressionMethod, entry.Filename() == "noise.bin" || c.level == 0 ? 0 : 8);
            EXPECT_EQ(entry.Flags & 0x0006, c.flags);
            // The local header says the same.
            std::ifstream file(f.archive, std::ios::binary);
            file.seekg(static_cast<std::streamoff>(entry.LocalHeaderOffset) + 6);
            std::uint8_t local[2] = {};
            file.read(reinterpret_cast<char*>(local), 2);
            EXPECT_EQ(local[0] & 0x06, c.flags);
        }
        ExpectPeersAccept(f.dir, f.archive);
    }
}

// A file of 0xFFFFFFFF bytes would be written with the zip64 marker as its
// size; it is refused before a byte is read, and nothing is left behind.
TEST(ZipWriter, AFileOfTheZip64MarkerSizeIsRefused)
{
    TWriterFixture f;
    const std::string big = f.dir.File("big.bin");
    { std::ofstream create(big); }
    std::filesystem::resize_file(big, 0xFFFFFFFF); // sparse: no disk used
    f.writer.FilesList() = {big};
    try {
        f.writer.ZipListedFiles();
        ADD_FAILURE() << "written";
    } catch (const EWriteError& e) {
        EXPECT_EQ(std::string(e.what()), big + " is 4294967295 bytes or larger and cannot be stored in a zip archive");
    }
    EXPECT_FALSE(std::filesystem::exists(f.archive));
}

TEST(ZipWriter, StreamEntryWithBlankNameOrNoStreamDoesNothing)
{
    TWriterFixture f;
    int events = 0;
    f.writer.OnZipComplete = [&](TZipWriter&, int) { ++events; };
    f.writer.FilesList() = {"kept"};
    TMemoryStream stream = MemoryOf("data");
    EXPECT_EQ(f.writer.AddStreamEntry(&stream, "  \t "), 0);
    EXPECT_EQ(f.writer.AddStreamEntry(nullptr, "name"), 0);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(f.writer.FilesList(), std::vector<std::string>{"kept"});
    EXPECT_FALSE(std::filesystem::exists(f.archive));
}

TEST(ZipWriter, StreamEntriesKeepTheirUntrimmedNamesAndFireOnZipCompleteEachCall)
{
    TWriterFixture f;
    std::vector<int> completed;
    f.writer.OnZipComplete = [&](TZipWriter&, int count) { completed.push_back(count); };
    TMemoryStream first = MemoryOf(std::string(5000, 'a'));
    TMemoryStream second = MemoryOf("second");
    second.Seek(3, soFromBeginning);
    EXPECT_EQ(f.writer.AddStreamEntry(&first, " padded "), 1);
    EXPECT_EQ(f.writer.AddStreamEntry(&second, "second.txt"), 1);
    EXPECT_EQ(completed, (std::vector<int>{1, 1}));
    EXPECT_TRUE(f.writer.FilesList().empty());
    ExpectPeersAccept(f.dir, f.archive);
    const auto entries = PythonEntries(f.dir, f.archive);
    EXPECT_EQ(entries.at(" padded "), std::string(5000, 'a'));
    EXPECT_EQ(entries.at("second.txt"), "second");
    // The writer knows the archive it wrote without reading it again.
    EXPECT_EQ(f.writer.GetCount(), 2);
}

TEST(ZipWriter, ADuplicateNameInAnyCaseIsRefused)
{
    TWriterFixture f;
    std::vector<std::pair<TSkipReason, std::string>> skipped;
    f.writer.OnSkippingFile = [&](TZipReader&, TSkipReason reason, const std::string& name, int index, bool&) {
        skipped.emplace_back(reason, name);
        EXPECT_EQ(index, -1);
    };
    TMemoryStream a = MemoryOf("first");
    TMemoryStream b = MemoryOf("second");
    EXPECT_EQ(f.writer.AddStreamEntries({{&a, "Name.txt", ""}, {&b, "name.TXT", ""}}), 1);
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].first, srNoOverwrite);
    EXPECT_EQ(skipped[0].second, "name.TXT");
    EXPECT_EQ(PythonEntries(f.dir, f.archive).at("Name.txt"), "first");
    ExpectPeersAccept(f.dir, f.archive);
}

TEST(ZipWriter, OnStartZipSkipLeavesNothingOfTheEntry)
{
    TWriterFixture f;
    f.writer.OnStartZip = [](TZipWriter&, const std::string& name, std::unique_ptr<TZipHeaderInfo>&, bool& skip) {
        skip = name == "skip.txt";
    };
    TMemoryStream skip = MemoryOf(std::string(1000, 's'));
    TMemoryStream keep = MemoryOf("keep");
    EXPECT_EQ(f.writer.AddStreamEntries({{&skip, "skip.txt", ""}, {&keep, "keep.txt", ""}}), 1);
    const std::string withSkip = ReadFileBytes(f.archive);

    TWriterFixture alone;
    TMemoryStream again = MemoryOf("keep");
    alone.writer.AddStreamEntry(&again, "keep.txt");
    EXPECT_EQ(withSkip.size(), ReadFileBytes(alone.archive).size());
    ExpectPeersAccept(f.dir, f.archive);
}

TEST(ZipWriter, EntryHeadersForEmptyStoredDeflatedAndEncryptedData)
{
    TWriterFixture f;
    f.writer.SetNoCompressList({"*.jpg"});
    const std::string text(20000, 'x');
    TMemoryStream empty;
    TMemoryStream deflated = MemoryOf(text);
    TMemoryStream stored = MemoryOf(text);
    TMemoryStream encrypted = MemoryOf(text);
    f.writer.AddStreamEntries({{&empty, "empty", ""},
                               {&deflated, "text.txt", ""},
                               {&stored, "picture.jpg", ""},
                               {&encrypted, "secret.jpg", "pw"}});
    const auto reader = f.Read();
    ASSERT_EQ(reader->GetCount(), 4);
    const TZipHeaderInfo& e0 = reader->GetEntry(0);
    EXPECT_EQ(e0.UncompressedSize, 0u);
    EXPECT_EQ(e0.CRC32, 0u);
    const TZipHeaderInfo& e1 = reader->GetEntry(1);
    EXPECT_EQ(e1.CompressionMethod, 8);
    EXPECT_LT(e1.CompressedSize, 1000u);
    const TZipHeaderInfo& e2 = reader->GetEntry(2);
    EXPECT_EQ(e2.CompressionMethod, 0);
    EXPECT_EQ(e2.CompressedSize, text.size());
    EXPECT_EQ(e2.InternalAttributes, 0);
    const TZipHeaderInfo& e3 = reader->GetEntry(3);
    EXPECT_TRUE(e3.Encrypted());
    EXPECT_EQ(e3.CompressedSize, text.size() + 12);
    ExpectPeersAccept(f.dir, f.archive, "pw");
    EXPECT_EQ(PythonEntries(f.dir, f.archive, "pw").at("secret.jpg"), text);
}

TEST(ZipWriter, OnEncryptReplacesTheCipherOnEveryDataBuffer)
{
    TWriterFixture f;
    f.writer.PackLevel = 0;
    f.writer.Password = "pw";
    std::int64_t encrypted = 0;
    f.writer.OnEncrypt = [&](TZipWriter&, std::uint8_t*, int length, const std::string& password) {
        EXPECT_EQ(password, "pw");
        encrypted += length;
    };
    TMemoryStream data = MemoryOf(std::string(70000, 'd'));
    f.writer.AddStreamEntry(&data, "d");
    EXPECT_EQ(encrypted, 70000);
    // The data went out as the handler left it: unencrypted here.
    EXPECT_NE(ReadFileBytes(f.archive).find(std::string(1000, 'd')), std::string::npos);
}

TEST(ZipWriter, EventsOfAFileAndAFolderEntry)
{
    TWriterFixture f;
    const std::string file = f.dir.Write("src/a.txt", "abc");
    std::filesystem::create_directories(f.dir.Path() / "src/sub");
    f.writer.SetStorePaths(true);
    std::vector<std::string> ended;
    f.writer.OnEndZip = [&](TZipWriter&, const std::string& name, std::int64_t u, std::int64_t c, std::int64_t z) {
        ended.push_back(name + ":" + std::to_string(u) + ":" + std::to_string(c) + ":" + std::to_string(z != 0));
    };
    int lastTotal = -1;
    f.writer.OnTotalPercentDone = [&](TZipReader&, int percent) { lastTotal = percent; };
    f.writer.FilesList() = {file, f.dir.Folder() + "src/sub/"};
    EXPECT_EQ(f.writer.ZipListedFiles(), 2);
    ASSERT_EQ(ended.size(), 2u);
    EXPECT_EQ(ended[0].substr(0, file.size()), file);
    EXPECT_EQ(ended[1], f.dir.Folder() + "src/sub/:0:0:0");
    EXPECT_EQ(lastTotal, 100);
    const auto reader = f.Read();
    EXPECT_EQ(reader->GetEntry(1).Filename(), "");
    EXPECT_EQ(reader->GetEntry(1).CRC32, 0u);
    ExpectPeersAccept(f.dir, f.archive);
}

// What the path settings make of a source name.
struct TStoredNameCase {
    bool Stream;
    std::string Source; // below the test folder, or a stream's name
    bool StorePaths;
    bool StoreVolumes;
    bool RelativePaths;
    std::string RootDir; // below the test folder
    std::string Expected; // "@" stands for the test folder without its leading "/"
};

TEST(ZipWriter, StoredNamesFollowThePathSettings)
{
    const std::vector<TStoredNameCase> cases = {
        {true, "pictoview.ini", true, true, false, "", "/pictoview.ini"},
        {true, "pictoview.ini", true, false, false, "", "pictoview.ini"},
        {true, "pictoview.ini", false, false, false, "", "pictoview.ini"},
        {false, "Album/Image1.jpg", true, true, false, "", "/@Album/Image1.jpg"},
        {false, "Album/Image1.jpg", true, false, false, "", "@Album/Image1.jpg"},
        {false, "Album/Image1.jpg", false, false, false, "", "Image1.jpg"},
        {false, "Album/Sub/a.jpg", true, false, true, "Album/", "Sub/a.jpg"},
        {false, "Other/a.jpg", true, false, true, "Album/", "@Other/a.jpg"},
        {false, "Album/Sub/", true, false, false, "", "@Album/Sub/"},
    };
    for (const TStoredNameCase& c : cases) {
        SCOPED_TRACE(c.Source + " " + c.Expected);
        TWriterFixture f;
        f.dir.Write("Album/Image1.jpg", "image");
        f.dir.Write("Album/Sub/a.jpg", "sub");
        f.dir.Write("Other/a.jpg", "other");
        f.writer.SetStorePaths(c.StorePaths);
        f.writer.SetStoreVolumes(c.StoreVolumes);
        f.writer.SetRelativePaths(c.RelativePaths);
        if (!c.RootDir.empty())
            f.writer.SetRootDir(f.dir.Folder() + c.RootDir);
        TMemoryStream stream = MemoryOf("stream");
        if (c.Stream) {
            f.writer.AddStreamEntry(&stream, c.Source);
        } else {
            f.writer.FilesList() = {f.dir.Folder() + c.Source};
            f.writer.ZipListedFiles();
        }
        std::string expected = c.Expected;
        if (const std::size_t at = expected.find('@'); at != std::string::npos)
            expected.replace(at, 1, f.dir.Folder().substr(1));
        const auto reader = f.Read();
        ASSERT_EQ(reader->GetCount(), 1);
        EXPECT_EQ(reader->GetEntry(0).FullName(), expected);
        ExpectPeersAccept(f.dir, f.archive);
    }
}

TEST(ZipWriter, AFolderWithoutStoredPathGivesNoEntry)
{
    TWriterFixture f;
    std::filesystem::create_directories(f.dir.Path() / "sub");
    f.writer.FilesList() = {f.dir.Folder() + "sub/"};
    EXPECT_EQ(f.writer.ZipListedFiles(), 0);
    EXPECT_EQ(f.Read()->GetCount(), 0);
}

TEST(ZipWriter, NamesOutsideCodePage437AreStoredAsUtf8)
{
    TWriterFixture f;
    TMemoryStream a = MemoryOf("a");
    TMemoryStream b = MemoryOf("b");
    f.writer.AddStreamEntries({{&a, "café.txt", ""}, {&b, "日本.txt", ""}});
    ExpectPeersAccept(f.dir, f.archive);
    const auto entries = PythonEntries(f.dir, f.archive);
    EXPECT_EQ(entries.at("café.txt"), "a");
    EXPECT_EQ(entries.at("日本.txt"), "b");
}

// No descriptor can be opened while this lives; the limit is put back after.
class TNoFreeDescriptors {
public:
    TNoFreeDescriptors()
    {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        const int lowest = ::dup(0);
        ::close(lowest);
        struct rlimit limited = saved_;
        limited.rlim_cur = static_cast<rlim_t>(lowest);
        ::setrlimit(RLIMIT_NOFILE, &limited);
    }
    ~TNoFreeDescriptors() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
    TNoFreeDescriptors(const TNoFreeDescriptors&) = delete;
    TNoFreeDescriptors& operator=(const TNoFreeDescriptors&) = delete;

private:
    struct rlimit saved_ {};
};

TEST(ZipWriter, ASourceThatCannotBeOpenedIsRetriedWhileTheHandlerAsks)
{
    TWriterFixture f;
    const std::string file = f.dir.Write("a.txt", "a");
    const std::string other = f.dir.Write("b.txt", "b");
    std::vector<TSkipReason> reasons;
    std::unique_ptr<TNoFreeDescriptors> exhausted;
    // The output is open by then; the sources are not.
    f.writer.OnStartZipInfo = [&](TZipWriter&, int, std::int64_t, TEndCentral&, bool&) {
        exhausted = std::make_unique<TNoFreeDescriptors>();
    };
    // Retried once, then given up, and the next file can be opened again.
    f.writer.OnSkippingFile = [&](TZipReader&, TSkipReason reason, const std::string& name, int, bool& retry) {
        EXPECT_EQ(name, file);
        reasons.push_back(reason);
        retry = reasons.size() == 1;
        if (!retry)
            exhausted.reset();
    };
    f.writer.FilesList() = {file, other};
    const int added = f.writer.ZipListedFiles();
    exhausted.reset();
    EXPECT_EQ(added, 1);
    EXPECT_EQ(reasons, (std::vector<TSkipReason>{srSourceUnavailable, srSourceUnavailable}));
    ExpectPeersAccept(f.dir, f.archive);
    EXPECT_EQ(PythonEntries(f.dir, f.archive).count("b.txt"), 1u);
}

} // namespace
