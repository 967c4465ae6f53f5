// Damaged entries, each extracted over an existing file and where there is
// none: the existing file keeps its content, no partial or temporary file is
// left, and the failure shows as what it is (a CRC failure, an unknown
// method, data that end early, an output that refuses bytes, an entry
// damaged in its headers).
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
    PrematureEnd,   // EFatalUnzipError ends the run
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
     }, TOutcome::PrematureEnd},
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
std::string AfterInfo(TEventLog log)
{
    EXPECT_FALSE(log.Lines.empty());
    if (log.Lines.empty())
        return "";
    EXPECT_EQ(log.Lines[0].rfind("info 2 ", 0), 0u);
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
            } catch (const EFatalUnzipError& error) {
                EXPECT_EQ(damage.Outcome, TOutcome::PrematureEnd);
                EXPECT_STREQ(error.what(), "Premature end of file reached");
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
            case TOutcome::PrematureEnd:
            case TOutcome::WriteFailure:
                EXPECT_EQ(AfterInfo(log), "start 0\ncomplete 0\n");
                break;
            case TOutcome::Damaged:
                EXPECT_EQ(AfterInfo(log), "skip 0 reason 3 f.txt\nstart 1\nend 1\ncomplete 1\n");
                EXPECT_EQ(reader.GetEntry(0).DamageReason(), "the entry is shorter than its encryption header");
                break;
            }
            if (damage.Outcome != TOutcome::PrematureEnd && damage.Outcome != TOutcome::WriteFailure) {
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

} // namespace
