// Damaged entries, each extracted over an existing file and where there is
// none: the existing file keeps its content, no partial or temporary file is
// left, and the failure shows as what it is (a CRC failure, an unknown
// method, data that end early, an output that refuses bytes, an entry
// damaged in its headers). A damaged entry costs only itself: the run goes
// on to the entries after it, in whatever order it takes them.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <functional>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "ExtractSupport.h"
#include "SampleData.h"
#include "TempDir.h"
#include "ZipExceptions.h"
#include "ZipReader.h"

namespace {

// Several 32 KB blocks of output and of compressed input.
std::string Content()
{
    TSampleRandom random(11);
    std::string text;
    while (text.size() < 150000) {
        text += "entry text " + std::to_string(random.Below(1000)) + " ";
        if (random.Below(4) == 0)
            text.push_back(static_cast<char>(random.Next()));
    }
    return text;
}

std::string StoredArchive() { return BuildStoredArchive({{"f.txt", Content()}, {"after.txt", "after"}}); }

std::string DeflatedArchive()
{
    return DeflatedFirstEntry(BuildStoredArchive({{"f.txt", RawDeflate(Content())}, {"after.txt", "after"}}),
                              Content());
}

std::size_t FirstDataStart() { return LocalHeaderSize + std::string("f.txt").size(); }

enum class TOutcome {
    BadCRC,         // OnBadCRC, the run goes on
    UnknownMethod,  // the message box and a skip, the run goes on
    WriteFailure,   // ECantWriteUCF ends the run
    Damaged,        // listed, skipped with its reason, the run goes on
};

struct TDamage {
    const char* Label;
    std::function<std::string()> Archive;
    TOutcome Outcome;
};

std::uint32_t CompressedSizeOf(const std::string& archive)
{
    return GetU32(reinterpret_cast<const std::uint8_t*>(archive.data()) + CompressedSizeField.Local);
}

const std::vector<TDamage> Damages = {
    {"stored, data cut short", [] {
         std::string a = StoredArchive();
         PatchFirstEntry(a, CompressedSizeField, 1000);
         return a;
     }, TOutcome::BadCRC},
    {"deflated, data cut short", [] {
         std::string a = DeflatedArchive();
         PatchFirstEntry(a, CompressedSizeField, CompressedSizeOf(a) / 2);
         return a;
     }, TOutcome::BadCRC},
    {"stored, a flipped byte", [] {
         std::string a = StoredArchive();
         a[FirstDataStart() + 40000] ^= 0x10;
         return a;
     }, TOutcome::BadCRC},
    {"deflated, a flipped byte", [] {
         std::string a = DeflatedArchive();
         a[FirstDataStart() + 20000] ^= 0x10;
         return a;
     }, TOutcome::BadCRC},
    {"stored, patched CRC", [] {
         std::string a = StoredArchive();
         PatchFirstEntry(a, CrcField, TestCrc(Content()) ^ 1);
         return a;
     }, TOutcome::BadCRC},
    {"deflated, patched CRC", [] {
         std::string a = DeflatedArchive();
         PatchFirstEntry(a, CrcField, TestCrc(Content()) ^ 1);
         return a;
     }, TOutcome::BadCRC},
    {"deflated, uncompressed size too small", [] {
         std::string a = DeflatedArchive();
         PatchFirstEntry(a, UncompressedSizeField, 50000);
         return a;
     }, TOutcome::BadCRC},
    {"method 12", [] {
         std::string a = StoredArchive();
         PatchFirstEntry(a, MethodField, 12);
         return a;
     }, TOutcome::UnknownMethod},
    {"method 99", [] {
         std::string a = StoredArchive();
         PatchFirstEntry(a, MethodField, 99);
         return a;
     }, TOutcome::UnknownMethod},
    {"encrypted, shorter than its header", [] {
         return BuildStoredArchive({{"f.txt", "short", "", 0x0001}, {"after.txt", "after"}});
     }, TOutcome::Damaged},
    {"output refuses bytes", [] { return DeflatedArchive(); }, TOutcome::WriteFailure},
};

// Files may grow to limit bytes for its own lifetime; a write past it fails
// (instead of the signal that would end the process).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t limit) : previousHandler_(::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit lowered = previous_;
        lowered.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        ::signal(SIGXFSZ, previousHandler_);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit previous_{};
    sighandler_t previousHandler_;
};

// The events after OnStartUnZipInfo, which must count both entries.
std::string AfterInfo(TEventLog log, int files = 2)
{
    EXPECT_FALSE(log.Lines.empty());
    if (log.Lines.empty())
        return "";
    EXPECT_EQ(log.Lines[0].rfind("info " + std::to_string(files) + " ", 0), 0u);
    log.Lines.erase(log.Lines.begin());
    return log.Text();
}

TEST(ExtractDamaged, ExistingFilesStayAndNothingIsLeftBehind)
{
    for (const TDamage& damage : Damages)
        for (const bool existing : {false, true}) {
            SCOPED_TRACE(std::string(damage.Label) + (existing ? ", over an existing file" : ""));
            TempDir dir;
            const std::string archive = dir.Write("in.zip", damage.Archive());
            const std::string dest = dir.File("dest");
            if (existing)
                dir.Write("dest/f.txt", "old content");
            TZipReader reader;
            SetUpExtraction(reader, archive, dest);
            TEventLog log(reader);
            TAnsweringUI ui(TMsgResult::Ok);
            TZipUIScope scope(ui);
            int extracted = -1;
            try {
                std::optional<TFileSizeLimit> limit;
                if (damage.Outcome == TOutcome::WriteFailure)
                    limit.emplace(40000);
                extracted = reader.UnZipToDestDir();
                EXPECT_TRUE(damage.Outcome == TOutcome::BadCRC || damage.Outcome == TOutcome::UnknownMethod ||
                            damage.Outcome == TOutcome::Damaged);
            } catch (const ECantWriteUCF& error) {
                EXPECT_EQ(damage.Outcome, TOutcome::WriteFailure);
                EXPECT_STREQ(error.what(), "Cant write uncompressed file");
            }

            TTree expected;
            if (existing)
                expected["f.txt"].Bytes = "old content";
            switch (damage.Outcome) {
            case TOutcome::BadCRC:
                EXPECT_EQ(AfterInfo(log), "start 0\nbadcrc 0\nstart 1\nend 1\ncomplete 1\n");
                break;
            case TOutcome::UnknownMethod:
                EXPECT_EQ(AfterInfo(log), "start 0\nskip 0 reason 3 f.txt\nstart 1\nend 1\ncomplete 1\n");
                EXPECT_EQ(ui.Boxes, std::vector<std::string>{"Zip Error: Unknown Compression Method"});
                break;
            case TOutcome::WriteFailure:
                EXPECT_EQ(AfterInfo(log), "start 0\ncomplete 0\n");
                break;
            case TOutcome::Damaged:
                EXPECT_EQ(AfterInfo(log), "skip 0 reason 3 f.txt\nstart 1\nend 1\ncomplete 1\n");
                EXPECT_EQ(reader.GetEntry(0).DamageReason(), "the entry is shorter than its encryption header");
                break;
            }
            if (damage.Outcome != TOutcome::WriteFailure) {
                EXPECT_EQ(extracted, 1);
                expected["after.txt"].Bytes = "after";
            }
            TTree tree = ReadTree(dest);
            for (auto& [name, item] : tree)
                item.ModTime = item.Mode = 0;
            EXPECT_EQ(TreeNames(tree), TreeNames(expected));
            EXPECT_TRUE(tree == expected);
        }
}

// Sets the local header offset in the central header of the entry at index
// (in central directory order).
void PatchLocalHeaderOffset(std::string& archive, int index, std::uint32_t offset)
{
    std::size_t central = archive.find("PK\x01\x02");
    for (int i = 0; i < index; ++i)
        central = archive.find("PK\x01\x02", central + 4);
    PutU32(reinterpret_cast<std::uint8_t*>(archive.data()) + central + 42, offset);
}

struct TCutCase {
    const char* Label;
    std::function<std::string()> Archive;
    const char* Events; // after OnStartUnZipInfo
    const char* Failure; // EntryFailure of the entry that failed
    const char* Extracted;
};

// Where the local header of the last of three one-byte entries named with
// five characters lies.
constexpr std::size_t LastLocalHeader = 2 * (LocalHeaderSize + 5 + 1);

// The entry that fails sorts first by name but lies last in the archive:
// the run goes on to the others.
const std::vector<TCutCase> CutCases = {
    {"stored, the archive ends inside its data", [] {
         const std::string a = BuildStoredArchive({{"z.txt", "z"}, {"y.txt", "y"}, {"a.txt", Content()}});
         return a.substr(0, a.find("PK\x01\x02") - 100000);
     }, "start 0\nbadcrc 0\nstart 1\nend 1\nstart 2\nend 2\ncomplete 2\n", "Premature end of file reached",
     "y.txt z.txt "},
    {"deflated, the archive ends inside its data", [] {
         const std::string deflated = RawDeflate(Content());
         std::string a = BuildStoredArchive({{"z.txt", "z"}, {"y.txt", "y"}, {"a.txt", deflated}});
         auto* last = reinterpret_cast<std::uint8_t*>(a.data()) + LastLocalHeader;
         PutU16(last + MethodField.Local, 8);
         PutU32(last + CrcField.Local, TestCrc(Content()));
         PutU32(last + UncompressedSizeField.Local, static_cast<std::uint32_t>(Content().size()));
         return a.substr(0, LastLocalHeader + LocalHeaderSize + 5 + deflated.size() / 2);
     }, "start 0\nbadcrc 0\nstart 1\nend 1\nstart 2\nend 2\ncomplete 2\n", "Premature end of file reached",
     "y.txt z.txt "},
    {"local header offset past the end", [] {
         std::string a = BuildStoredArchive({{"z.txt", "z"}, {"y.txt", "y"}, {"a.txt", "a"}});
         PatchLocalHeaderOffset(a, 2, 0x7FFFFF00);
         return a;
     }, "start 0\nskip 0 reason 3 a.txt\nstart 1\nend 1\nstart 2\nend 2\ncomplete 2\n",
     "no local header at offset 2147483392", "y.txt z.txt "},
    {"local header offset at the central directory", [] {
         std::string a = BuildStoredArchive({{"z.txt", "z"}, {"y.txt", "y"}, {"a.txt", "a"}});
         PatchLocalHeaderOffset(a, 2, static_cast<std::uint32_t>(a.find("PK\x01\x02")));
         return a;
     }, "start 0\nskip 0 reason 3 a.txt\nstart 1\nend 1\nstart 2\nend 2\ncomplete 2\n",
     "no local header at offset 108", "y.txt z.txt "},
};

TEST(ExtractDamaged, AnEntryCutShortOrNotFoundCostsOnlyItself)
{
    for (const TCutCase& c : CutCases) {
        SCOPED_TRACE(c.Label);
        TempDir dir;
        std::string bytes = c.Archive();
        const std::string archive = dir.Write("in.zip", bytes);
        const std::string dest = dir.File("dest");
        TZipReader reader;
        SetUpExtraction(reader, archive, dest);
        // A cut archive has no directory: it is rebuilt from the local headers.
        reader.IncompleteZipMode = izAssumeBad;
        reader.SortMode = ByName;
        TEventLog log(reader);
        EXPECT_EQ(reader.UnZipToDestDir(), 2);
        ASSERT_EQ(reader.GetCount(), 3);
        EXPECT_EQ(reader.GetEntry(0).FullName(), "a.txt");
        EXPECT_EQ(AfterInfo(log, 3), c.Events);
        EXPECT_EQ(log.Failure, c.Failure);
        EXPECT_EQ(TreeNames(ReadTree(dest)), c.Extracted);
    }
}

} // namespace
