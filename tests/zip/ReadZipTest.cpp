// Reading archive directories: damaged and hostile inputs as a table over
// the three incomplete-archive modes, and the read's own rules (when it reads
// again, the retry, the sorted views, comments on demand, cancelling).
#include "ZipReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "LittleEndian.h"
#include "PeerArchives.h"
#include "PeerCheck.h"
#include "RunCommand.h"
#include "SampleData.h"
#include "TempDir.h"
#include "ZipExceptions.h"
#include "ZipListing.h"
#include "ZipUI.h"

namespace {

// What reading an archive gives: its listing, or the exception's class and
// message. A failure other than EIncompleteZip must leave the reader cleared.
std::string Outcome(const std::string& archive, TIncompleteZipMode mode)
{
    TZipReader reader;
    reader.IncompleteZipMode = mode;
    const auto cleared = [&](const std::string& what) {
        EXPECT_EQ(reader.GetCount(), 0);
        EXPECT_EQ(reader.GetZipName(), "");
        return what;
    };
    try {
        reader.SetZipName(archive);
        reader.ReadZip();
        return ListingOf(reader);
    } catch (const EIncompleteZip& e) {
        EXPECT_EQ(reader.GetCount(), 0);
        return std::string("EIncompleteZip: ") + e.what();
    } catch (const ENotAZipFile& e) {
        return cleared(std::string("ENotAZipFile: ") + e.what());
    } catch (const EBadZipFile& e) {
        return cleared(std::string("EBadZipFile: ") + e.what());
    } catch (const Exception& e) {
        return cleared(std::string("Exception: ") + e.what());
    }
}

const std::string Incomplete = "EIncompleteZip: Incomplete Zip File";
const std::string NotAZip = "ENotAZipFile: Not a valid zip file!";
const std::string BadZip = "EBadZipFile: Not a valid zip file!";
const std::string Zip64 = "EBadZipFile: Zip64 archives are not supported";
const std::string MissingVolume = "Exception: User canceled loading new disk.";
const std::string TooManyEntries = "EBadZipFile: Archives of more than 65535 entries are not supported";

// The listing of an archive that BuildStoredArchive made of entries.
std::string StoredListing(const std::vector<TTestEntry>& entries)
{
    std::string listing;
    for (const TTestEntry& e : entries) {
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08x", TestCrc(e.Data));
        const std::string size = std::to_string(e.Data.size());
        listing += e.Name + "\t0\t" + size + "\t" + size + "\t" + crc + "\t" + ((e.Flags & 1) ? "1" : "0") + "\n";
    }
    return listing;
}

std::uint64_t CentralOffsetOf(const std::string& bytes)
{
    const auto* end = reinterpret_cast<const std::uint8_t*>(bytes.data() + bytes.rfind("PK\x05\x06", std::string::npos));
    return GetU32(end + 16);
}

// A program's bytes that hold what looks like local headers: one at the very
// start (a whole header with 10 bytes of data) and one further on.
std::string DecoyProgram()
{
    std::string header("PK\x03\x04\x14\x00", 6);
    header += std::string(12, '\0');
    header += std::string("\x0a\0\0\0\x0a\0\0\0\0\0\0\0", 12);
    return header + RandomByteString(10 + 2000, 4) + std::string("PK\x03\x04\x0a\x00", 6) + RandomByteString(3000, 5);
}

// The end record's field at offset (16: central offset, 12: central size)
// set to value.
std::string WithEndField(std::string bytes, std::size_t offset, std::uint32_t value)
{
    PutU32(reinterpret_cast<std::uint8_t*>(bytes.data() + bytes.rfind("PK\x05\x06") + offset), value);
    return bytes;
}

// The end record's 16-bit field at offset (8: entries on this disk, 10: in
// all) set to value.
std::string WithEndCount(std::string bytes, std::size_t offset, std::uint16_t value)
{
    PutU16(reinterpret_cast<std::uint8_t*>(bytes.data() + bytes.rfind("PK\x05\x06") + offset), value);
    return bytes;
}

// Bytes of a program that look like an end record but cannot be one: disk
// 0x4B50, 80 entries on this disk and none in all.
const std::string EndRecordLookAlike("PK\x05\x06PK\x03\x04P\0\0\0\0\0\0\0\0\0\0\0\0\0", 22);

// Every central header's local header offset moved by shift.
std::string WithLocalOffsetsMoved(std::string bytes, std::uint32_t shift)
{
    auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
    for (std::size_t at = bytes.find("PK\x01\x02"); at != std::string::npos; at = bytes.find("PK\x01\x02", at + 4))
        PutU32(data + at + 42, GetU32(data + at + 42) + shift);
    return bytes;
}

// The archive with the signature of its first central header broken.
std::string BreakFirstCentralHeader(std::string bytes, std::uint64_t centralStart)
{
    bytes[centralStart + 3] = 'X';
    return bytes;
}

// Entries f00.txt, f01.txt, ... of distinct text.
std::vector<TTestEntry> NumberedEntries(int count)
{
    std::vector<TTestEntry> entries;
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%02d.txt", i);
        std::string data;
        for (int line = 0; line < 20 + i; ++line)
            data += std::string(name) + " line " + std::to_string(line) + "\n";
        entries.push_back({name, data});
    }
    return entries;
}

// Where the local header of entry index lies in an archive of NumberedEntries.
std::size_t LocalHeaderOf(const std::string& bytes, int index)
{
    std::size_t at = bytes.find("PK\x03\x04");
    for (int i = 0; i < index; ++i)
        at = bytes.find("PK\x03\x04", at + 4);
    return at;
}

std::string WithLocalSignaturesBroken(std::string bytes, const std::vector<int>& indexes)
{
    std::vector<std::size_t> headers;
    for (const int index : indexes)
        headers.push_back(LocalHeaderOf(bytes, index));
    for (const std::size_t at : headers)
        bytes[at + 3] = 'X';
    return bytes;
}

// The compressed size of entry index's local header pointing past the end.
std::string WithLocalSizePastTheEnd(std::string bytes, int index)
{
    PutU32(reinterpret_cast<std::uint8_t*>(bytes.data() + LocalHeaderOf(bytes, index) + 18), 0x7FFF0000);
    return bytes;
}

std::string WithFirstCentralHeaderBroken(std::string bytes)
{
    return BreakFirstCentralHeader(bytes, CentralOffsetOf(bytes));
}

// A program holding a local header look-alike whose data would end past the
// end of the file, as our own stub does ("new disk.").
std::string LookAlikeProgram()
{
    std::string header("PK\x03\x04\x14\x00", 6);
    header += std::string(8, '\0');
    header += std::string("\0\0\0\0\0\0\xff\x7f\0\0\xff\x7f\x09\0\0\0", 16) + "new disk.";
    return "\x7f" "ELF" + RandomByteString(3000, 8) + header + RandomByteString(3000, 9);
}

// The archive behind program, its offsets counted from the start of the file
// as our self-extractors count them.
std::string Behind(const std::string& program, const std::string& archive)
{
    std::string bytes = WithLocalOffsetsMoved(archive, static_cast<std::uint32_t>(program.size()));
    bytes = WithEndField(bytes, 16, static_cast<std::uint32_t>(CentralOffsetOf(bytes) + program.size()));
    return program + bytes;
}

// What a reader made of an archive of entries: one line per listed entry,
// its name and "ok" when it extracts to its data, "damaged" when it is
// listed damaged and extracts to nothing, "failed" otherwise.
std::string RecoveryOf(TZipReader& reader, const std::vector<TTestEntry>& entries)
{
    std::string outcome;
    for (int i = 0; i < reader.GetCount(); ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        const std::string name = entry.FullName();
        const bool damaged = entry.Damaged();
        TMemoryStream data;
        const int extracted = reader.UnZipToStreamByIndex(&data, i);
        const auto original = std::find_if(entries.begin(), entries.end(),
                                           [&](const TTestEntry& e) { return e.Name == name; });
        if (extracted == 1 && !damaged && original != entries.end() && data.Text() == original->Data)
            outcome += name + " ok\n";
        else if (extracted == 0 && damaged)
            outcome += name + " damaged\n";
        else
            outcome += name + " failed\n";
    }
    return outcome;
}

// The outcome of every entry but those named, which are left out (lost) or
// damaged.
std::string Expected(const std::vector<TTestEntry>& entries, const std::set<int>& lost,
                     const std::set<int>& damaged = {})
{
    std::string outcome;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        if (!lost.contains(i))
            outcome += entries[i].Name + (damaged.contains(i) ? " damaged\n" : " ok\n");
    }
    return outcome;
}

// Peer archives and their listings, made once for the whole suite.
class ReadZip : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new TempDir;
        std::string noise = RandomByteString(4000, 7);
        dir_->Write("src/readme.txt", std::string(3000, 'a') + "end\n");
        dir_->Write("src/photos/noise.bin", noise);
        dir_->Write("src/photos/empty.txt", "");
        dir_->Write("src/last.txt", "the last entry\n");
        RunChecked(InFolder(*dir_, "src", "zip -q -r -9 " + ShellQuote(dir_->File("original.zip")) + " ."));
        RunChecked(InFolder(*dir_, "src",
                            "zip -q - readme.txt photos/noise.bin photos/empty.txt last.txt | cat > " +
                                ShellQuote(dir_->File("streamed.zip"))));
        RunChecked(PythonCommand(*dir_, "zip64.py", R"(import sys, zipfile
for name, limit in ((sys.argv[1], zipfile.ZIP64_LIMIT), (sys.argv[2], 16)):
    zipfile.ZIP64_LIMIT = limit
    with zipfile.ZipFile(name, "w") as z:
        with z.open("forced.txt", "w", force_zip64=True) as f:
            f.write(b"hello" * 10)
        z.writestr("b.txt", "b" * 100)
)",
                                 {dir_->File("local-zip64.zip"), dir_->File("zip64.zip")}));
        RunChecked(PythonCommand(*dir_, "decoy.py", PythonDecoyCommentScript,
                                 {dir_->File("plain.zip"), dir_->File("decoy.zip")}));
        original_ = new std::string(ReadFileBytes(dir_->File("original.zip")));
        streamed_ = new std::string(ReadFileBytes(dir_->File("streamed.zip")));
    }
    static void TearDownTestSuite()
    {
        delete original_;
        delete streamed_;
        delete dir_;
    }

    static std::string Listing(const std::string& name) { return PythonListing(*dir_, dir_->File(name)); }
    // What Info-ZIP's "zip -A" makes of bytes: the offsets of the archive in
    // them counted from the start of the file.
    static std::string Adjusted(const std::string& bytes)
    {
        const std::string file = Write("adjust.exe", bytes);
        RunChecked("zip -q -A " + ShellQuote(file));
        return ReadFileBytes(file);
    }
    static std::string Write(const std::string& name, const std::string& bytes) { return dir_->Write(name, bytes); }
    static std::string CutInsideCentral(const std::string& bytes)
    {
        return bytes.substr(0, CentralOffsetOf(bytes) + 60);
    }

    static TempDir* dir_;
    static std::string* original_;
    static std::string* streamed_;
};

TempDir* ReadZip::dir_ = nullptr;
std::string* ReadZip::original_ = nullptr;
std::string* ReadZip::streamed_ = nullptr;

TEST_F(ReadZip, DamagedInputsEndInTheirExceptionOrTheRecoveredEntries)
{
    const std::string original = Listing("original.zip");
    const std::string streamed = Listing("streamed.zip");

    const auto withThisDisk = [&](std::uint16_t disk) {
        std::string bytes = *original_;
        PutU16(reinterpret_cast<std::uint8_t*>(bytes.data() + bytes.rfind("PK\x05\x06") + 4), disk);
        return bytes;
    };
    // The last volume of a set whose central directory starts on the first.
    const std::string lastVolume = withThisDisk(1);

    const std::vector<TTestEntry> tricky = {
        {"first.txt", "data with PK\x07\x08 inside and PK\x03\x04 too"},
        {"empty.txt", ""},
        {"last.txt", RandomByteString(3000, 3)},
    };
    const std::string trickyListing = StoredListing(tricky);
    // An encrypted entry too short for its encryption header spoils only itself.
    const std::vector<TTestEntry> shortEncrypted = {{"secret.txt", "abc", "", 0x0001}, {"beside.txt", "fine"}};
    const std::string shortEncryptedListing = StoredListing(shortEncrypted);

    // Programs with an archive behind them, its offsets counted from its own
    // start (appended) or from the start of the file (adjusted).
    const std::string decoy = DecoyProgram();
    const std::string appended = decoy + *original_;
    const std::string adjusted = Adjusted(appended);
    const std::uint64_t centralStart = decoy.size() + CentralOffsetOf(*original_);
    ASSERT_EQ(CentralOffsetOf(adjusted), centralStart);

    // Programs whose archive lost its end record: the scan passes over the
    // program's look-alike headers, and over an archive stored in an entry,
    // to the run of headers that link up.
    const std::vector<TTestEntry> single = {{"only.txt", "the only entry"}};
    // The inner archive lacks its end record too, which would be found first.
    const std::string inner = BuildStoredArchive(tricky).substr(0, CentralOffsetOf(BuildStoredArchive(tricky)) + 60);
    const std::vector<TTestEntry> nesting = {{"inner.zip", inner}, {"after.txt", "after"}};
    const auto cutProgram = [&](const std::string& archive) {
        return (decoy + archive).substr(0, decoy.size() + CentralOffsetOf(archive) + 60);
    };

    struct Case {
        const char* name;
        std::string bytes;
        std::string assumeMulti, assumeBad, assumeNotAZip;
    };
    const Case cases[] = {
        {"empty.zip", "", "", "", ""},
        {"ten-bytes.zip", "0123456789", Incomplete, BadZip, NotAZip},
        {"random.zip", RandomByteString(100000, 1), Incomplete, BadZip, NotAZip},
        {"lone-signature.zip", std::string("PK\x03\x04\x14\x00 and nothing", 18), Incomplete, BadZip, NotAZip},
        {"cut-central.zip", CutInsideCentral(*original_), Incomplete, original, NotAZip},
        {"cut-central-streamed.zip", CutInsideCentral(*streamed_), Incomplete, streamed, NotAZip},
        {"stub.zip", RandomByteString(5000, 2) + *original_, original, original, original},
        {"stub.EXE", RandomByteString(20000, 2) + *original_, original, original, original},
        {"short-stub.exe", RandomByteString(100, 2) + *original_, original, original, original},
        {"appended.exe", appended, original, original, original},
        {"adjusted.exe", adjusted, original, original, original},
        // The scan passes over the program's look-alike headers to the run
        // that ends where the end record puts the central directory.
        {"appended-broken-central.exe", BreakFirstCentralHeader(appended, centralStart), original, original,
         original},
        {"adjusted-broken-central.exe", BreakFirstCentralHeader(adjusted, centralStart), original, original,
         original},
        {"appended-cut-central.exe", cutProgram(*original_), Incomplete, original, NotAZip},
        {"adjusted-cut-central.exe", adjusted.substr(0, centralStart + 60), Incomplete, original, NotAZip},
        {"single-cut-central.exe", cutProgram(BuildStoredArchive(single)), Incomplete, StoredListing(single),
         NotAZip},
        {"nesting-cut-central.exe", cutProgram(BuildStoredArchive(nesting)), Incomplete, StoredListing(nesting),
         NotAZip},
        // The central headers are where the end record says, its size alone
        // is wrong.
        {"central-size-too-large.zip", WithEndField(*original_, 12, 0x10000), original, original, original},
        // The last volume of a set alone: the volume holding the directory
        // is asked for and, missing, ends the read, whatever its number.
        {"last-volume.zip", lastVolume, MissingVolume, MissingVolume, MissingVolume},
        {"this-disk-1000.zip", withThisDisk(1000), MissingVolume, MissingVolume, MissingVolume},
        // 0xFFFF is no disk number but zip64's mark: no end record of a set.
        {"this-disk-ffff.zip", withThisDisk(0xFFFF), Incomplete, original, NotAZip},
        {"zip64.zip", ReadFileBytes(dir_->File("zip64.zip")), Zip64, Zip64, Zip64},
        {"cut-local-zip64.zip", CutInsideCentral(ReadFileBytes(dir_->File("local-zip64.zip"))), Incomplete, Zip64,
         NotAZip},
        // An end record whose fields cannot be true is none: the search goes
        // on backwards, past it to the archive's own or to the start.
        {"end-look-alike.exe", RandomByteString(5000, 8) + EndRecordLookAlike, Incomplete, BadZip, NotAZip},
        {"end-look-alike-after.zip", *original_ + EndRecordLookAlike, original, original, original},
        {"more-on-this-disk-than-in-all.zip", WithEndCount(*original_, 8, 0x100), Incomplete, original, NotAZip},
        {"fewer-on-the-only-disk.zip", WithEndCount(*original_, 8, 1), Incomplete, original, NotAZip},
        {"directory-after-the-record.zip", WithEndField(*original_, 16, 0x100000), Incomplete, original, NotAZip},
        {"decoy-comment.zip", ReadFileBytes(dir_->File("decoy.zip")), Listing("plain.zip"), Listing("plain.zip"),
         Listing("plain.zip")},
        {"short-encrypted.zip", BuildStoredArchive(shortEncrypted), shortEncryptedListing, shortEncryptedListing,
         shortEncryptedListing},
        {"short-encrypted-cut-central.zip", CutInsideCentral(BuildStoredArchive(shortEncrypted)), Incomplete,
         shortEncryptedListing, NotAZip},
        {"signed-descriptors.zip", BuildStreamedEntries(tricky, true), Incomplete, trickyListing, NotAZip},
        {"unsigned-descriptors.zip", BuildStreamedEntries(tricky, false), Incomplete, trickyListing, NotAZip},
        // The entries before the one whose data never ends are recovered.
        {"descriptor-missing.zip", BuildStreamedEntries(tricky, true).substr(0, 100), Incomplete,
         trickyListing.substr(0, trickyListing.find('\n') + 1), NotAZip},
        {"first-descriptor-missing.zip", BuildStreamedEntries(tricky, true).substr(0, 80), Incomplete, BadZip,
         NotAZip},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string archive = Write(c.name, c.bytes);
        EXPECT_EQ(Outcome(archive, izAssumeMulti), c.assumeMulti);
        EXPECT_EQ(Outcome(archive, izAssumeBad), c.assumeBad);
        EXPECT_EQ(Outcome(archive, izAssumeNotAZip), c.assumeNotAZip);
    }
}

TEST_F(ReadZip, EveryCentralHeaderTheDirectoryHoldsIsReadWhateverTheEndRecordCounts)
{
    std::vector<TTestEntry> entries;
    for (int i = 0; i < 20; ++i)
        entries.push_back({"entry" + std::to_string(i) + ".txt", "entry " + std::to_string(i) + "\n"});
    const std::string archive =
        Write("ten-of-twenty.zip", WithEndCount(WithEndCount(BuildStoredArchive(entries), 8, 10), 10, 10));

    EXPECT_EQ(Outcome(archive, izAssumeNotAZip), StoredListing(entries));
    // The peers read the twenty too (and say the count is wrong).
    const std::string quoted = ShellQuote(archive);
    EXPECT_EQ(RunCommand("unzip -Z1 " + quoted + " 2>/dev/null | grep -c entry").Output, "20\n");
    EXPECT_EQ(RunCommand("7zz l -slt " + quoted + " 2>/dev/null | grep -c '^Path = entry'").Output, "20\n");
    EXPECT_EQ(PythonListing(*dir_, archive), StoredListing(entries));
}

TEST_F(ReadZip, ACountWrappedPastTheLargestIsRefusedByName)
{
    // Written as an old writer without zip64 writes them: the count is the
    // number of entries modulo 65536.
    for (const int count : {65536, 70000}) {
        SCOPED_TRACE(count);
        const std::string archive =
            Write("wrapped.zip", BuildStoredArchive(std::vector<TTestEntry>(count, TTestEntry("e", ""))));
        EXPECT_EQ(Outcome(archive, izAssumeMulti), TooManyEntries);
        EXPECT_EQ(Outcome(archive, izAssumeBad), TooManyEntries);
        EXPECT_EQ(Outcome(archive, izAssumeNotAZip), TooManyEntries);
    }
}

TEST_F(ReadZip, AnArchiveBehindAProgramIsReadAsItsOwnWhicheverWayItCountsOffsets)
{
    const std::string program = RandomByteString(4097, 6);
    for (const std::string& bytes : {program + *original_, Adjusted(program + *original_)}) {
        TZipReader reader;
        reader.SetZipName(Write("program.exe", bytes));
        reader.ReadZip();
        EXPECT_FALSE(reader.Rebuilt());
        ASSERT_EQ(ListingOf(reader), Listing("original.zip"));
        // Offsets in memory are positions in the file: the central headers'
        // attributes belong to their entries, and the data is found.
        EXPECT_EQ(reader.GetEntry(0).LocalHeaderOffset, program.size());
        EXPECT_EQ(reader.GetEntry(0).HostSystem(), HostUnix);
        TMemoryStream data;
        EXPECT_EQ(reader.UnZipToStreamByIndex(&data, 0), 1);
        EXPECT_EQ(data.Text(), std::string(3000, 'a') + "end\n");
    }
}

TEST_F(ReadZip, AWrongCentralOffsetIsFoundOutByTheLocalHeaders)
{
    const std::uint32_t centralOffset = static_cast<std::uint32_t>(CentralOffsetOf(*original_));
    const std::string program = RandomByteString(4097, 6);
    struct Case {
        const char* Label;
        std::string Bytes;
        bool Rebuilt;
        std::uint64_t FirstOffset;
    };
    const Case cases[] = {
        // The central headers' offsets are right: they stay.
        {"offset wrong", WithEndField(*original_, 16, centralOffset / 2), false, 0},
        {"offset wrong behind a program", WithEndField(Adjusted(program + *original_), 16, centralOffset),
         false, program.size()},
        // The central headers' offsets are wrong too: the local headers tell.
        {"offset and local offsets wrong", WithEndField(WithLocalOffsetsMoved(*original_, 7), 16, centralOffset / 2),
         true, 0},
    };
    // With one local header damaged as well, the reading the others bear out
    // still holds: only that entry is lost.
    const Case damagedCases[] = {
        {"offset wrong, a local header damaged", WithEndField(*original_, 16, centralOffset / 2), false, 0},
        {"behind a program, a local header damaged", program + *original_, false, program.size()},
    };
    for (const Case& c : damagedCases) {
        SCOPED_TRACE(c.Label);
        std::string bytes = c.Bytes;
        const std::size_t second = bytes.find("PK\3\4", c.FirstOffset + 4);
        ASSERT_NE(second, std::string::npos);
        bytes.replace(second, 4, "XXXX");
        TZipReader reader;
        reader.SetZipName(Write("wrong-offset-damaged.zip", bytes));
        reader.ReadZip();
        EXPECT_FALSE(reader.Rebuilt());
        ASSERT_EQ(ListingOf(reader), Listing("original.zip"));
        int files = 0;
        int extracted = 0;
        for (int i = 0; i < reader.GetCount(); ++i) {
            if (reader.GetEntry(i).Filename().empty())
                continue;
            TMemoryStream data;
            ++files;
            extracted += reader.UnZipToStreamByIndex(&data, i);
        }
        EXPECT_EQ(extracted, files - 1);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        TZipReader reader;
        reader.SetZipName(Write("wrong-offset.zip", c.Bytes));
        reader.ReadZip();
        EXPECT_EQ(reader.Rebuilt(), c.Rebuilt);
        ASSERT_EQ(ListingOf(reader), Listing("original.zip"));
        EXPECT_EQ(reader.GetEntry(0).LocalHeaderOffset, c.FirstOffset);
        for (int i = 0; i < reader.GetCount(); ++i) {
            if (reader.GetEntry(i).Filename().empty())
                continue;
            TMemoryStream data;
            EXPECT_EQ(reader.UnZipToStreamByIndex(&data, i), 1) << reader.GetEntry(i).FullName();
        }
    }
}

// A damaged central directory (its first header unreadable, or the end
// record cut off) sends the read to the local headers: every run of linked
// headers counts, a broken local header costs its own entry at most, and the
// entries lost are listed damaged from what names them, so that extraction
// names them. Data that would end past the end of the file link to nothing.
TEST_F(ReadZip, TheScanLosesNoSoundEntryAndListsTheLostOnesDamaged)
{
    const std::vector<TTestEntry> three = NumberedEntries(3);
    const std::vector<TTestEntry> five = NumberedEntries(5);
    const std::vector<TTestEntry> many = NumberedEntries(45);
    // The peers accept the originals.
    for (const auto* entries : {&three, &five, &many})
        ExpectPeersAccept(*dir_, Write("original-" + std::to_string(entries->size()) + ".zip",
                                       BuildStoredArchive(*entries)));
    const std::string program = LookAlikeProgram();
    struct Case {
        const char* Name;
        std::string Bytes;
        const std::vector<TTestEntry>& Entries;
        std::string Outcome;
    };
    const Case cases[] = {
        // The look-alike's size no longer hides the archive behind it.
        {"look-alike-program.exe", WithFirstCentralHeaderBroken(Behind(program, BuildStoredArchive(three))), three,
         Expected(three, {})},
        {"look-alike-program-cut.exe", CutInsideCentral(Behind(program, BuildStoredArchive(three))), three,
         Expected(three, {})},
        // Entry 0's size points past the end: the entries after it are found.
        // Nothing names entry 0 when its central header is the broken one.
        {"first-size-past-the-end.zip", WithFirstCentralHeaderBroken(WithLocalSizePastTheEnd(BuildStoredArchive(three), 0)),
         three, Expected(three, {0})},
        // Its central header tells where its data end.
        {"first-size-past-the-end-cut.zip", CutInsideCentral(WithLocalSizePastTheEnd(BuildStoredArchive(three), 0)),
         three, Expected(three, {})},
        {"middle-size-past-the-end.zip",
         WithFirstCentralHeaderBroken(WithLocalSizePastTheEnd(BuildStoredArchive(five), 2)), five, Expected(five, {})},
        // Without a central directory the entry is listed damaged.
        {"middle-size-past-the-end-no-directory.zip",
         WithLocalSizePastTheEnd(BuildStoredArchive(five), 2).substr(0, CentralOffsetOf(BuildStoredArchive(five))),
         five, Expected(five, {}, {2})},
        // A local header whose signature is gone: its central header names it.
        {"middle-signature-broken.zip",
         WithFirstCentralHeaderBroken(WithLocalSignaturesBroken(BuildStoredArchive(five), {2})), five,
         Expected(five, {}, {2})},
        // Entry 2's data end where the end record puts the central directory,
        // whose first header is broken: they link up. Entry 0 links to nothing
        // and its central header is the broken one.
        {"second-of-three-signature-broken.zip",
         WithFirstCentralHeaderBroken(WithLocalSignaturesBroken(BuildStoredArchive(three), {1})), three,
         Expected(three, {0}, {1})},
        {"last-signature-broken.zip",
         WithFirstCentralHeaderBroken(WithLocalSignaturesBroken(BuildStoredArchive(five), {4})), five,
         Expected(five, {}, {4})},
        {"many-signatures-broken.zip",
         WithFirstCentralHeaderBroken(WithLocalSignaturesBroken(BuildStoredArchive(many), {10, 11, 30, 44})), many,
         Expected(many, {}, {10, 11, 30, 44})},
        {"many-broken-behind-a-program.exe",
         WithFirstCentralHeaderBroken(
             Behind(program, WithLocalSignaturesBroken(WithLocalSizePastTheEnd(BuildStoredArchive(many), 20), {5, 6}))),
         many, Expected(many, {}, {5, 6})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TZipReader reader;
        reader.IncompleteZipMode = izAssumeBad;
        reader.SetZipName(Write(c.Name, c.Bytes));
        reader.ReadZip();
        EXPECT_TRUE(reader.Rebuilt());
        EXPECT_EQ(RecoveryOf(reader, c.Entries), c.Outcome);
    }
}

// zipdriver says what the scan lost, by name, with a failing status.
TEST_F(ReadZip, TheDriverNamesTheLostEntriesAndFails)
{
    const std::vector<TTestEntry> five = NumberedEntries(5);
    const std::string broken =
        Write("driver-broken.zip", WithFirstCentralHeaderBroken(WithLocalSignaturesBroken(BuildStoredArchive(five), {2})));
    const std::string sound = Write("driver-sound.exe",
                                    WithFirstCentralHeaderBroken(Behind(LookAlikeProgram(), BuildStoredArchive(five))));
    const std::string driver = ZIPDRIVER_PATH;
    const std::string errors = ShellQuote(dir_->File("driver-errors.txt"));
    const TCommandResult listed = RunCommand(driver + " list " + ShellQuote(broken) + " 2>" + errors);
    EXPECT_EQ(listed.ExitCode, 1);
    EXPECT_EQ(std::count(listed.Output.begin(), listed.Output.end(), '\n'), 5);
    EXPECT_EQ(ReadFileBytes(dir_->File("driver-errors.txt")), "damaged: f02.txt (the entry's local header is damaged)\n");
    const TCommandResult extracted =
        RunCommand(driver + " extract " + ShellQuote(broken) + " " + ShellQuote(dir_->File("driver-out")) + " 2>" + errors);
    EXPECT_EQ(extracted.ExitCode, 1);
    EXPECT_EQ(ReadFileBytes(dir_->File("driver-errors.txt")),
              "not extracted: f02.txt (the entry's local header is damaged)\n");
    for (const int i : {0, 1, 3, 4})
        EXPECT_EQ(ReadFileBytes(dir_->File("driver-out/" + five[i].Name)), five[i].Data);

    EXPECT_EQ(RunCommand(driver + " list " + ShellQuote(sound) + " 2>" + errors).ExitCode, 0);
    const TCommandResult all =
        RunCommand(driver + " extract " + ShellQuote(sound) + " " + ShellQuote(dir_->File("sound-out")) + " 2>" + errors);
    EXPECT_EQ(all.ExitCode, 0) << ReadFileBytes(dir_->File("driver-errors.txt"));
    for (const TTestEntry& e : five)
        EXPECT_EQ(ReadFileBytes(dir_->File("sound-out/" + e.Name)), e.Data);
}

TEST_F(ReadZip, ARecoveredDirectoryTakesWhatTheCentralHeadersAdd)
{
    TZipReader reader;
    reader.IncompleteZipMode = izAssumeBad;
    reader.SetZipName(Write("cut.zip", CutInsideCentral(*original_)));
    reader.ReadZip();
    EXPECT_TRUE(reader.Rebuilt());
    ASSERT_GT(reader.GetCount(), 1);
    // The first central header was whole: it gave its host and attributes.
    EXPECT_EQ(reader.GetEntry(0).HostSystem(), HostUnix);
    EXPECT_NE(reader.GetEntry(0).CentralHeaderOffset, 0u);
    EXPECT_EQ(reader.GetEntry(reader.GetCount() - 1).CentralHeaderOffset, 0u);
}

TEST_F(ReadZip, WithoutAHandlerAnIncompleteArchiveIsAnErrorNotAnEmptyOne)
{
    TZipReader reader;
    const std::string archive = Write("incomplete.zip", CutInsideCentral(*original_));
    reader.SetZipName(archive);
    EXPECT_THROW(reader.ReadZip(), EIncompleteZip);
    EXPECT_EQ(reader.GetCount(), 0);
    // The name stays, so the caller can choose another mode and read again.
    EXPECT_EQ(reader.GetZipName(), archive);
    reader.IncompleteZipMode = izAssumeBad;
    reader.ReadZip();
    EXPECT_EQ(ListingOf(reader), Listing("original.zip"));
}

TEST_F(ReadZip, AHandlerThatKeepsTheModeGetsABoundedNumberOfRetries)
{
    TZipReader reader;
    int calls = 0;
    reader.OnInCompleteZip = [&](TZipReader&, TIncompleteZipMode& mode) {
        ++calls;
        EXPECT_EQ(mode, izAssumeMulti);
    };
    reader.SetZipName(Write("retry.zip", CutInsideCentral(*original_)));
    EXPECT_THROW(reader.ReadZip(), EIncompleteZip);
    EXPECT_EQ(calls, TZipReader::MaxIncompleteZipAttempts);

    // A handler that chooses another mode ends the retries at once.
    calls = 0;
    reader.OnInCompleteZip = [&](TZipReader&, TIncompleteZipMode& mode) {
        ++calls;
        mode = izAssumeBad;
    };
    reader.ReadZip();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ListingOf(reader), Listing("original.zip"));
}

TEST_F(ReadZip, ReadsOnceUntilTheFileChanges)
{
    const std::string archive = Write("twice.zip", *original_);
    TZipReader reader;
    reader.SetZipName(archive);
    reader.ReadZip();
    const TZipHeaderInfo* first = &reader.GetEntry(0);
    reader.SetSelected(0, true);
    reader.ReadZip();
    EXPECT_EQ(&reader.GetEntry(0), first);
    EXPECT_EQ(reader.SelectedCount(), 1);

    // The same bytes with a later date.
    const auto time = std::filesystem::last_write_time(archive);
    std::filesystem::last_write_time(archive, time + std::chrono::seconds(2));
    reader.ReadZip();
    EXPECT_FALSE(reader.GetEntry(0).Selected);
    EXPECT_EQ(reader.SelectedCount(), 0);

    // Another file of the same size and date moved over it: its inode tells
    // (the old one lives on under a second name, so it cannot be reused).
    reader.SetSelected(0, true);
    std::filesystem::create_hard_link(archive, dir_->File("twice-old.zip"));
    const std::string replacement = Write("twice-new.zip", *original_);
    std::filesystem::last_write_time(replacement, time + std::chrono::seconds(2));
    std::filesystem::rename(replacement, archive);
    reader.ReadZip();
    EXPECT_FALSE(reader.GetEntry(0).Selected);
}

TEST_F(ReadZip, ARebuiltDirectoryIsRebuiltAgainWhenTheFileChanges)
{
    const std::string archive = Write("rebuilt.zip", CutInsideCentral(*original_));
    TZipReader reader;
    reader.IncompleteZipMode = izAssumeBad;
    reader.KeepZipOpen = true;
    reader.SetZipName(archive);
    reader.ReadZip();
    const int count = reader.GetCount();
    {
        TFileStream file(archive, fmOpenReadWrite);
        file.Seek(0, soFromEnd);
        file.WriteBuffer("x", 1);
    }
    reader.OpenZip();
    EXPECT_EQ(reader.GetCount(), count);
    EXPECT_TRUE(reader.Rebuilt());
}

TEST_F(ReadZip, TheSortedViewsOrderTheAccessors)
{
    TZipReader reader;
    reader.SetZipName(Write("views.zip", BuildStoredArchive({
                                             {"b/zeta.txt", "12345", "", 0, 0x5A210000},
                                             {"a/Alpha.txt", "123", "", 0, 0x5A220000},
                                             {"c/beta.txt", "1234567", "", 0, 0x5A200000},
                                         })));
    reader.ReadZip();
    const auto names = [&] {
        std::string all;
        for (int i = 0; i < reader.GetCount(); ++i)
            all += reader.GetFilename(i) + " ";
        return all;
    };
    EXPECT_EQ(names(), "zeta.txt Alpha.txt beta.txt ");
    struct Case {
        TZipSortMode mode;
        const char* order;
    };
    for (const Case& c : {Case{ByName, "Alpha.txt zeta.txt beta.txt "}, Case{ByFileName, "Alpha.txt beta.txt zeta.txt "},
                          Case{ByDate, "Alpha.txt zeta.txt beta.txt "},
                          Case{ByCompressedSize, "beta.txt zeta.txt Alpha.txt "},
                          Case{ByNone, "zeta.txt Alpha.txt beta.txt "}}) {
        SCOPED_TRACE(c.mode);
        reader.Sort(c.mode);
        EXPECT_EQ(reader.SortMode, c.mode);
        EXPECT_EQ(names(), c.order);
    }
    // A mode set before reading applies to the directory read.
    TZipReader sorted;
    sorted.SortMode = ByFileName;
    sorted.SetZipName(reader.GetZipName());
    sorted.ReadZip();
    EXPECT_EQ(sorted.GetFilename(0), "Alpha.txt");
}

TEST_F(ReadZip, CommentsAreReadOnDemand)
{
    const std::string archive = Write("comments.zip", BuildStoredArchive({{"one.txt", "1", "first\0comment"},
                                                                         {"two.txt", "2"},
                                                                         {"three.txt", "3", "third"}},
                                                                        "the archive"));
    TZipReader reader;
    reader.SetZipName(archive);
    reader.ReadZip();
    ASSERT_EQ(reader.GetCount(), 3);
    EXPECT_FALSE(reader.GetEntry(2).FileComment().has_value());
    EXPECT_EQ(reader.GetFileComment(2), "third");
    EXPECT_EQ(reader.GetEntry(2).FileComment(), "third");
    EXPECT_EQ(reader.GetFileComment(1), "");
    EXPECT_EQ(reader.GetFileComment(0), "first");
    EXPECT_EQ(reader.GetZipComment(), "the archive");
    EXPECT_FALSE(reader.EndRecord().CommentChanged);

    // A comment held in memory is not read again.
    std::filesystem::remove(archive);
    EXPECT_EQ(reader.GetFileComment(2), "third");
    EXPECT_EQ(reader.GetZipComment(), "the archive");
}

TEST_F(ReadZip, ACommentWithANulByteKeepsItsBytes)
{
    const std::string comment("first\0comment", 13);
    TZipReader reader;
    reader.SetZipName(Write("nul.zip", BuildStoredArchive({{"one.txt", "1", comment}}, comment)));
    reader.ReadZip();
    EXPECT_EQ(reader.GetFileComment(0), comment);
    EXPECT_EQ(reader.GetZipComment(), comment);
}

// Cancels the read the first time the scan pumps the queue; counts the
// busy cursor.
class TCancellingUI : public TZipUI {
public:
    explicit TCancellingUI(TZipReader& reader) : reader_(reader) {}
    void ProcessMessages() override
    {
        ++pumped;
        reader_.Cancel();
    }
    void BeginBusyCursor() override { ++busy; }
    void EndBusyCursor() override { --busy; }

    int pumped = 0;
    int busy = 0;

private:
    TZipReader& reader_;
};

TEST_F(ReadZip, TheScanPumpsMessagesAndStopsWhenCancelled)
{
    const std::string archive = Write("junk.zip", RandomByteString(50000, 9));
    TZipReader reader;
    TCancellingUI ui(reader);
    TZipUIScope scope(ui);
    reader.IncompleteZipMode = izAssumeBad;
    reader.SetZipName(archive);
    try {
        reader.ReadZip();
        FAIL() << "no exception";
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User Aborted Operation");
    }
    EXPECT_EQ(ui.pumped, 1);
    EXPECT_EQ(ui.busy, 0);
    EXPECT_EQ(reader.GetZipName(), "");

    // Without message pumping nobody can cancel: the scan runs to its end.
    reader.DoProcessMessages = false;
    reader.SetZipName(archive);
    EXPECT_THROW(reader.ReadZip(), EBadZipFile);
    EXPECT_EQ(ui.pumped, 1);
    EXPECT_EQ(ui.busy, 0);
}

TEST_F(ReadZip, AFileThatCannotBeOpenedClearsTheReader)
{
    TZipReader reader;
    reader.SetZipName(dir_->File("missing.zip"));
    EXPECT_THROW(reader.ReadZip(), EFOpenError);
    EXPECT_EQ(reader.GetZipName(), "");
}

TEST_F(ReadZip, ADirectoryReadsFromACallersStream)
{
    TZipReader reader;
    TMemoryStream stream(std::vector<std::uint8_t>(original_->begin(), original_->end()));
    reader.ReadCentralDirectory(stream);
    EXPECT_EQ(ListingOf(reader), Listing("original.zip"));
    EXPECT_EQ(reader.NumDisks(), 1);
    EXPECT_EQ(reader.GetMultiMode(), mmNone);
}

} // namespace
