// Archive builds: new archives across levels, passwords and the no-compress
// list; updates of archives that peers wrote (comments, extra fields, data
// descriptors) under each zip action; and failures at every stage, which
// must leave the old archive byte for byte as it was and no temporary file
// behind.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <utime.h>

#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "Exceptions.h"
#include "PeerArchives.h"
#include "PeerCheck.h"
#include "SampleData.h"
#include "TempDir.h"
#include "ZipExceptions.h"
#include "ZipReader.h"
#include "ZipWriter.h"

namespace {

namespace fs = std::filesystem;

std::string Sample(TSampleKind kind, std::size_t size, std::uint32_t seed = 1)
{
    const std::vector<std::uint8_t> bytes = MakeSample(kind, size, seed);
    return std::string(bytes.begin(), bytes.end());
}

// An empty file, an empty folder, a folder with a file, a large
// compressible file and a random one; the contents by relative name.
std::map<std::string, std::string> MakeFixtureTree(const TempDir& dir)
{
    const std::map<std::string, std::string> files = {
        {"empty.txt", ""},
        {"big.txt", Sample(TSampleKind::Text, 256 * 1024)},
        {"random.bin", Sample(TSampleKind::Noise, 200000)},
        {"folder/inner.txt", "inner\n"},
    };
    for (const auto& [name, contents] : files)
        dir.Write("tree/" + name, contents);
    fs::create_directories(dir.Path() / "tree/nothing");
    return files;
}

// A writer that zips the tree below tree/ with relative paths.
void SetUpTreeWriter(TZipWriter& writer, const TempDir& dir, const std::string& archive)
{
    writer.DoProcessMessages = false;
    writer.SetZipName(archive);
    writer.SetRelativePaths(true);
    writer.SetRootDir(dir.Folder() + "tree/");
}

bool TempFileLeft(const fs::path& folder)
{
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("KPZ"))
            return true;
    return false;
}

std::string Sha256(const std::string& file) { return RunChecked("sha256sum " + ShellQuote(file)).substr(0, 64); }

class BuildArchiveLevel : public testing::TestWithParam<int> {};

TEST_P(BuildArchiveLevel, NewArchivesWithAndWithoutPasswordAndNoCompressList)
{
    TempDir dir;
    const auto files = MakeFixtureTree(dir);
    const int level = GetParam();
    for (const std::string password : {"", "secret"})
        for (const bool noCompress : {false, true}) {
            SCOPED_TRACE("level " + std::to_string(level) + " password '" + password + "' no-compress " +
                         std::to_string(noCompress));
            const std::string archive =
                dir.File("l" + std::to_string(level) + password + std::to_string(noCompress) + ".zip");
            TZipWriter writer;
            SetUpTreeWriter(writer, dir, archive);
            writer.PackLevel = level;
            writer.Password = password;
            writer.AddDirEntriesOnRecurse = true;
            if (noCompress)
                writer.SetNoCompressList({"*.BIN", "big.*"});
            writer.FilesList() = {"*.*"};
            EXPECT_EQ(writer.ZipListedFiles(), 6);
            ExpectPeersAccept(dir, archive, password);
            auto expected = files;
            expected["folder/"] = "";
            expected["nothing/"] = "";
            EXPECT_EQ(PythonEntries(dir, archive, password), expected);
            for (int i = 0; i < writer.GetCount(); ++i) {
                const TZipHeaderInfo& entry = writer.GetEntry(i);
                SCOPED_TRACE(entry.FullName());
                const bool stored = level == 0 || (noCompress && (entry.Filename() == "random.bin" ||
                                                                  entry.Filename() == "big.txt"));
                if (stored) {
                    EXPECT_EQ(entry.CompressionMethod, 0);
                }
                if (entry.Filename() == "big.txt" && !stored) {
                    EXPECT_LT(entry.CompressedSize, entry.UncompressedSize / 3);
                }
                EXPECT_EQ(entry.Encrypted(), !password.empty() && !entry.Filename().empty());
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Levels, BuildArchiveLevel, testing::Values(0, 1, 6, 9));

// Per entry, as Python and the raw bytes see them: CRC, sizes, both extra
// fields, the comment and a hash of the local extra field and data as they
// lie in the file.
std::map<std::string, std::string> RawEntries(const TempDir& dir, const std::string& archive)
{
    const std::string output = RunChecked(PythonCommand(dir, "raw.py", R"(import sys, zipfile, hashlib, struct
with zipfile.ZipFile(sys.argv[1]) as z, open(sys.argv[1], "rb") as f:
    for i in z.infolist():
        f.seek(i.header_offset)
        local = f.read(30)
        n, m = struct.unpack("<HH", local[26:30])
        f.seek(n, 1)
        raw = f.read(m + i.compress_size)
        print(i.filename, i.CRC, i.compress_size, i.file_size, i.flag_bits, i.date_time, i.extra.hex(),
              i.comment.hex(), hashlib.sha256(raw).hexdigest())
)",
                                                        {archive}));
    std::map<std::string, std::string> entries;
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t end = output.find('\n', at);
        const std::string line = output.substr(at, end - at);
        entries[line.substr(0, line.find(' '))] = line;
        at = end + 1;
    }
    return entries;
}

TEST(BuildArchive, AddingToAnInfoZipArchiveKeepsItsEntriesCommentsAndExtraFields)
{
    TempDir dir;
    MakeFixtureTree(dir);
    const std::string archive = dir.File("info.zip");
    RunChecked(InFolder(dir, "tree", "zip -q -r " + ShellQuote(archive) + " big.txt random.bin folder"));
    RunChecked(InFolder(dir, "tree", "printf 'first\\n' | zip -q -c " + ShellQuote(archive) + " big.txt"));
    RunChecked(InFolder(dir, "tree", "printf 'the archive\\n.\\n' | zip -q -z " + ShellQuote(archive)));
    ::chmod(archive.c_str(), 0640);
    const auto before = RawEntries(dir, archive);
    const std::string zipinfoBefore = RunChecked("zipinfo -v " + ShellQuote(archive) + " | grep -A3 'extra field'");

    dir.Write("tree/added.txt", "added\n");
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    std::vector<TUpdateAction> updates;
    writer.OnUpdate = [&](TZipWriter&, TUpdateAction action, int) { updates.push_back(action); };
    writer.FilesList() = {"added.txt"};
    EXPECT_EQ(writer.ZipListedFiles(), 1);
    EXPECT_TRUE(updates.empty());

    ExpectPeersAccept(dir, archive);
    const auto after = RawEntries(dir, archive);
    for (const auto& [name, line] : before)
        EXPECT_EQ(after.at(name), line);
    EXPECT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(PythonEntries(dir, archive).at("added.txt"), "added\n");
    EXPECT_EQ(RunChecked("zipinfo -v " + ShellQuote(archive) + " | grep -A3 'extra field' | head -n " +
                         std::to_string(std::count(zipinfoBefore.begin(), zipinfoBefore.end(), '\n'))),
              zipinfoBefore);
    EXPECT_NE(RunChecked("unzip -z " + ShellQuote(archive)).find("the archive"), std::string::npos);
    struct stat info {};
    ::stat(archive.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_FALSE(TempFileLeft(dir.Path()));
}

void SetModified(const std::string& file, std::time_t when)
{
    const struct utimbuf times {when, when};
    ::utime(file.c_str(), &times);
}

struct TActionCase {
    TZipAction Action;
    std::time_t FileTimeShift; // seconds after the entry's time
    bool Replaced;
    bool NewFileAdded;
};

TEST(BuildArchive, ZipActionsDecideWhichListedFilesReplaceAndWhichAreAdded)
{
    const std::vector<TActionCase> cases = {
        {zaUpdate, 0, false, true},     {zaUpdate, 86400, true, true},   {zaReplace, 0, true, true},
        {zaReplace, -86400, true, true}, {zaFreshen, 0, false, false},   {zaFreshen, 86400, true, false},
    };
    for (const TActionCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Action) + " shift " + std::to_string(c.FileTimeShift));
        TempDir dir;
        const std::string archive = dir.File("a.zip");
        const std::string when = dir.Write("tree/when.txt", "old contents");
        dir.Write("tree/other.txt", "other");
        const std::time_t base = 1700000000; // an even second: DOS times hold two-second steps
        SetModified(when, base);
        {
            TZipWriter writer;
            SetUpTreeWriter(writer, dir, archive);
            writer.FilesList() = {"when.txt", "other.txt"};
            ASSERT_EQ(writer.ZipListedFiles(), 2);
        }
        dir.Write("tree/when.txt", "new contents!");
        SetModified(when, base + c.FileTimeShift);
        dir.Write("tree/new.txt", "new");

        TZipWriter writer;
        SetUpTreeWriter(writer, dir, archive);
        writer.ZipAction = c.Action;
        std::vector<std::pair<TUpdateAction, int>> updates;
        writer.OnUpdate = [&](TZipWriter&, TUpdateAction action, int index) { updates.emplace_back(action, index); };
        writer.FilesList() = {"when.txt", "new.txt"};
        writer.ZipListedFiles();
        ASSERT_EQ(updates.size(), 1u);
        EXPECT_EQ(updates[0], std::make_pair(c.Replaced ? uaReplace : uaKeep, 0));
        ExpectPeersAccept(dir, archive);
        const auto entries = PythonEntries(dir, archive);
        EXPECT_EQ(entries.at("when.txt"), c.Replaced ? "new contents!" : "old contents");
        EXPECT_EQ(entries.count("new.txt"), c.NewFileAdded ? 1u : 0u);
        // A replaced entry keeps its place in the order.
        EXPECT_EQ(writer.GetEntry(0).Filename(), "when.txt");
    }
}

TEST(BuildArchive, EntriesWithDataDescriptorsAreKeptIntact)
{
    TempDir dir;
    MakeFixtureTree(dir);
    const std::string python = dir.File("python.zip");
    RunChecked(PythonCommand(dir, "stream.py", R"(import sys, zipfile
class Unseekable:
    def __init__(self, f): self.f = f
    def write(self, b): return self.f.write(b)
    def flush(self): self.f.flush()
with open(sys.argv[1], "wb") as f, zipfile.ZipFile(Unseekable(f), "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("one.txt", "one " * 1000)
    z.writestr("two.bin", bytes(range(256)) * 10)
)",
                             {python}));
    // Info-ZIP writing to a pipe encrypts with a check byte from the time.
    const std::string encrypted = dir.File("encrypted.zip");
    RunChecked(InFolder(dir, "tree", "zip -q -P pw - big.txt folder/inner.txt | cat > " + ShellQuote(encrypted)));
    for (const std::string& archive : {python, encrypted}) {
        SCOPED_TRACE(archive);
        const std::string password = archive == encrypted ? "pw" : "";
        const auto before = PythonEntries(dir, archive, password);
        TZipWriter writer;
        SetUpTreeWriter(writer, dir, archive);
        writer.FilesList() = {"empty.txt"};
        EXPECT_EQ(writer.ZipListedFiles(), 1);
        ExpectPeersAccept(dir, archive, password);
        auto expected = before;
        expected["empty.txt"] = "";
        EXPECT_EQ(PythonEntries(dir, archive, password), expected);
    }
}

TEST(BuildArchive, AKeptEntryPointingOutsideTheArchiveIsRefused)
{
    TempDir dir;
    std::string bytes = BuildStoredArchive({TTestEntry("a.txt", "aaaa"), TTestEntry("b.txt", "bbbb")});
    // The second central header's compressed size (offset 20 in the header).
    const std::size_t central = bytes.rfind(std::string("PK\x01\x02", 4));
    bytes[central + 20] = '\x7F';
    bytes[central + 21] = '\x7F';
    const std::string archive = dir.Write("bad.zip", bytes);
    dir.Write("tree/c.txt", "c");
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    writer.FilesList() = {"c.txt"};
    EXPECT_THROW(writer.ZipListedFiles(), EBadZipFile);
    EXPECT_EQ(ReadFileBytes(archive), bytes);
    EXPECT_FALSE(TempFileLeft(dir.Path()));
    EXPECT_TRUE(writer.FilesList().empty());
}

TEST(BuildArchive, AReplacementWhoseSourceIsGoneKeepsTheOldEntry)
{
    TempDir dir;
    const std::string archive = dir.File("a.zip");
    const std::string file = dir.Write("tree/a.txt", "old");
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    writer.FilesList() = {"a.txt"};
    writer.ZipListedFiles();
    writer.ZipAction = zaReplace;
    writer.OnStartZip = [](TZipWriter&, const std::string&, std::unique_ptr<TZipHeaderInfo>&, bool& skip) {
        skip = true;
    };
    dir.Write("tree/a.txt", "new");
    writer.FilesList() = {"a.txt"};
    EXPECT_EQ(writer.ZipListedFiles(), 0);
    EXPECT_EQ(PythonEntries(dir, archive).at("a.txt"), "old");
    ExpectPeersAccept(dir, archive);
}

TEST(BuildArchive, TheArchiveNeverAddsItself)
{
    TempDir dir;
    const std::string archive = dir.File("tree/self.zip");
    dir.Write("tree/a.txt", "a");
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    writer.FilesList() = {"a.txt"};
    writer.ZipListedFiles();
    fs::create_symlink(archive, dir.File("tree/alias.zip"));
    writer.FilesList() = {"*", dir.Folder() + "tree/./self.zip", "alias.zip"};
    writer.ZipListedFiles();
    ExpectPeersAccept(dir, archive);
    const auto entries = PythonEntries(dir, archive);
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.count("a.txt"), 1u);
}

// Listed names that leave nothing to add (missing, excluded, no regular
// file) make no new archive and leave an existing one as it was.
TEST(BuildArchive, NamesThatLeaveNothingToAddWriteNothing)
{
    TempDir dir;
    dir.Write("tree/a.txt", "a");
    dir.Write("tree/skip.tmp", "skip");
    fs::create_symlink("nowhere", dir.File("tree/dangling"));
    const std::vector<std::string> nothing = {"missing.txt", "skip.tmp", "dangling", "none*"};
    const std::string archive = dir.File("tree/out.zip");
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    writer.SetExcludeList({"*.tmp"});
    writer.FilesList() = nothing;
    EXPECT_EQ(writer.ZipListedFiles(), 0);
    EXPECT_FALSE(fs::exists(archive));
    EXPECT_TRUE(writer.FilesList().empty());

    writer.FilesList() = {"a.txt"};
    ASSERT_EQ(writer.ZipListedFiles(), 1);
    const std::string before = ReadFileBytes(archive);
    struct stat old {};
    ASSERT_EQ(::stat(archive.c_str(), &old), 0);
    writer.FilesList() = nothing;
    EXPECT_EQ(writer.ZipListedFiles(), 0);
    struct stat now {};
    ASSERT_EQ(::stat(archive.c_str(), &now), 0);
    EXPECT_EQ(now.st_ino, old.st_ino) << "the archive was not written anew";
    EXPECT_EQ(ReadFileBytes(archive), before);
    EXPECT_EQ(writer.GetCount(), 1);
}

TEST(BuildArchive, DisposeDeletesAddedAndUpToDateFilesUnlessSkipped)
{
    TempDir dir;
    const std::string archive = dir.File("a.zip");
    const std::string kept = dir.Write("tree/kept.txt", "k");
    const std::string added = dir.Write("tree/added.txt", "a");
    const std::string spared = dir.Write("tree/spared.txt", "s");
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    writer.FilesList() = {"kept.txt"};
    writer.ZipListedFiles();
    writer.Dispose = true;
    writer.OnDisposeFile = [&](TZipWriter&, const std::string& name, bool& skip) { skip = name == spared; };
    writer.FilesList() = {"kept.txt", "added.txt", "spared.txt"};
    EXPECT_EQ(writer.ZipListedFiles(), 2);
    EXPECT_FALSE(fs::exists(kept));
    EXPECT_FALSE(fs::exists(added));
    EXPECT_TRUE(fs::exists(spared));
    ExpectPeersAccept(dir, archive);
}

TEST(BuildArchive, MoreThan65535EntriesRaiseAClearError)
{
    TempDir dir;
    const std::string archive = dir.File("many.zip");
    TZipWriter writer;
    writer.DoProcessMessages = false;
    writer.SetZipName(archive);
    writer.PackLevel = 0;
    std::vector<TMemoryStream> streams(65536);
    std::vector<TStreamEntry> entries;
    // Names in ascending order keep the name list's insertions at its end.
    for (std::size_t i = 0; i < streams.size(); ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "%05zu", i);
        entries.push_back({&streams[i], name, ""});
    }
    int written = 0;
    writer.OnEndZip = [&](TZipWriter&, const std::string&, std::int64_t, std::int64_t, std::int64_t) { ++written; };
    EXPECT_THROW(writer.AddStreamEntries(entries), EWriteError);
    // All that fit were written; the one too many was refused.
    EXPECT_EQ(written, 65535);
    EXPECT_FALSE(fs::exists(archive));
}

TEST(BuildArchive, FourGigabyteSourcesRaiseAClearError)
{
    TempDir dir;
    const std::string archive = dir.File("a.zip");
    dir.Write("tree/small.txt", "small");
    fs::resize_file(dir.Write("tree/huge.bin", ""), 0x100000000);
    const std::string before = BuildStoredArchive({TTestEntry("x.txt", "x")});
    dir.Write("a.zip", before);
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    writer.FilesList() = {"small.txt", "huge.bin"};
    EXPECT_THROW(writer.ZipListedFiles(), EWriteError);
    EXPECT_EQ(ReadFileBytes(archive), before);
    EXPECT_FALSE(TempFileLeft(dir.Path()));
}

// Writes that make a file pass limit bytes fail (EFBIG) for as long as this
// lives; the signal that would end the process is ignored meanwhile.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved_;
        limited.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    struct rlimit saved_ {};
    void (*previous_)(int) = nullptr;
};

// An archive of three entries, then the update that adds two more.
void WriteOldArchive(const TempDir& dir, const std::string& archive)
{
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    writer.FilesList() = {"big.txt", "random.bin", "empty.txt"};
    ASSERT_EQ(writer.ZipListedFiles(), 3);
}

void RunUpdate(const TempDir& dir, const std::string& archive)
{
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    writer.Password = "pw";
    writer.FilesList() = {"folder/inner.txt", "more.bin"};
    writer.ZipListedFiles();
}

TEST(BuildArchive, AFailingWriteAtAnyStageLeavesTheOldArchiveUnchanged)
{
    TempDir dir;
    MakeFixtureTree(dir);
    dir.Write("tree/more.bin", Sample(TSampleKind::Records, 300000, 7));
    const std::string archive = dir.File("a.zip");
    WriteOldArchive(dir, archive);
    const std::string oldHash = Sha256(archive);

    // Where the sections of the updated archive lie.
    fs::copy_file(archive, dir.File("probe.zip"));
    RunUpdate(dir, dir.File("probe.zip"));
    TZipReader probe;
    probe.SetZipName(dir.File("probe.zip"));
    probe.ReadZip();
    const std::int64_t size = static_cast<std::int64_t>(fs::file_size(dir.File("probe.zip")));
    const std::int64_t central = static_cast<std::int64_t>(probe.EndRecord().CentralOffset);
    const std::int64_t newEntry = static_cast<std::int64_t>(probe.GetEntry(3).LocalHeaderOffset);
    fs::remove(dir.File("probe.zip"));

    const std::vector<std::pair<std::string, std::int64_t>> failures = {
        {"first local header", 10},
        {"kept entry data", 5000},
        {"new local header", newEntry + 8},
        {"new entry data", newEntry + 2000},
        {"central directory", central + 30},
        {"end record", size - 10},
        {"final write-out at close", size - 1},
    };
    for (const auto& [where, limit] : failures) {
        SCOPED_TRACE(where);
        {
            TFileSizeLimit fail(static_cast<rlim_t>(limit));
            EXPECT_THROW(RunUpdate(dir, archive), ENotEnoughRoom);
        }
        EXPECT_EQ(Sha256(archive), oldHash);
        EXPECT_FALSE(TempFileLeft(dir.Path()));
        EXPECT_FALSE(TempFileLeft(dir.Path() / "tree"));
    }
    RunUpdate(dir, archive);
    ExpectPeersAccept(dir, archive, "pw");
}

TEST(BuildArchive, AnUpdateThatDoesNotFitOnAFullDiskLeavesTheOldArchive)
{
    TempDir dir;
    const fs::path mount = dir.Path() / "small";
    fs::create_directories(mount);
    if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    struct TUnmount {
        fs::path path;
        ~TUnmount() { ::umount(path.c_str()); }
    } unmount{mount};
    dir.Write("tree/a.bin", Sample(TSampleKind::Noise, 100000, 3));
    dir.Write("tree/b.bin", Sample(TSampleKind::Noise, 150000, 4));
    const std::string archive = (mount / "a.zip").string();
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    writer.FilesList() = {"a.bin"};
    ASSERT_EQ(writer.ZipListedFiles(), 1);
    const std::string oldHash = Sha256(archive);
    writer.FilesList() = {"b.bin"};
    EXPECT_THROW(writer.ZipListedFiles(), ENotEnoughRoom);
    EXPECT_EQ(Sha256(archive), oldHash);
    EXPECT_FALSE(TempFileLeft(mount));
    ExpectPeersAccept(dir, archive);
}

TEST(BuildArchive, OneBuildOfManyStreamsEqualsOneCallPerStream)
{
    TempDir dir;
    std::vector<std::string> contents;
    for (int i = 0; i < 12; ++i)
        contents.push_back(Sample(i % 2 ? TSampleKind::Noise : TSampleKind::Text, 3000 + 500 * i, i));
    const auto name = [](int i) { return "Image" + std::to_string(i) + ".jpg"; };
    const auto password = [](int i) { return i % 3 == 0 ? std::string("pw") : std::string(); };

    const std::string single = dir.File("single.zip");
    TZipWriter one;
    one.DoProcessMessages = false;
    one.SetZipName(single);
    for (int i = 0; i < 12; ++i) {
        TMemoryStream stream(std::vector<std::uint8_t>(contents[i].begin(), contents[i].end()));
        one.Password = password(i);
        ASSERT_EQ(one.AddStreamEntry(&stream, name(i)), 1);
    }

    const std::string batch = dir.File("batch.zip");
    TZipWriter many;
    many.DoProcessMessages = false;
    many.SetZipName(batch);
    std::deque<TMemoryStream> streams;
    for (const std::string& text : contents)
        streams.emplace_back(std::vector<std::uint8_t>(text.begin(), text.end()));
    std::vector<TStreamEntry> entries;
    for (int i = 0; i < 12; ++i)
        entries.push_back({&streams[i], name(i), password(i)});
    EXPECT_EQ(many.AddStreamEntries(entries), 12);

    ExpectPeersAccept(dir, batch, "pw");
    EXPECT_EQ(PythonEntries(dir, batch, "pw"), PythonEntries(dir, single, "pw"));
    ASSERT_EQ(many.GetCount(), one.GetCount());
    for (int i = 0; i < many.GetCount(); ++i) {
        EXPECT_EQ(many.GetEntry(i).FullName(), one.GetEntry(i).FullName());
        EXPECT_EQ(many.GetEntry(i).CRC32, one.GetEntry(i).CRC32);
        EXPECT_EQ(many.GetEntry(i).Encrypted(), one.GetEntry(i).Encrypted());
    }
}

TEST(BuildArchive, APasswordFileThatChangesBetweenItsTwoReadsFails)
{
    TempDir dir;
    const std::string archive = dir.File("a.zip");
    const std::string file = dir.Write("tree/a.txt", std::string(100000, 'a'));
    TZipWriter writer;
    SetUpTreeWriter(writer, dir, archive);
    writer.Password = "pw";
    // The first progress report comes from the second pass.
    bool changed = false;
    writer.OnFilePercentDone = [&](TZipReader&, int) {
        if (!changed)
            std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(100000, 'b');
        changed = true;
    };
    writer.FilesList() = {"a.txt"};
    EXPECT_THROW(writer.ZipListedFiles(), EReadError);
    EXPECT_FALSE(fs::exists(archive));
}

TEST(BuildArchive, AFileThatGrowsWhileItIsReadIsStoredAsRead)
{
    for (const int level : {0, 6}) {
        SCOPED_TRACE(level);
        TempDir dir;
        const std::string archive = dir.File("a.zip");
        const std::string file = dir.Write("tree/a.txt", std::string(100000, 'a'));
        TZipWriter writer;
        SetUpTreeWriter(writer, dir, archive);
        writer.PackLevel = level;
        bool grown = false;
        writer.OnFilePercentDone = [&](TZipReader&, int) {
            if (!grown)
                std::ofstream(file, std::ios::binary | std::ios::app) << std::string(50000, 'c');
            grown = true;
        };
        writer.FilesList() = {"a.txt"};
        EXPECT_EQ(writer.ZipListedFiles(), 1);
        ExpectPeersAccept(dir, archive);
        EXPECT_EQ(PythonEntries(dir, archive).at("a.txt"), std::string(100000, 'a') + std::string(50000, 'c'));
    }
}

} // namespace
