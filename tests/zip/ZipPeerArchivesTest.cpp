// Reads the central directories of archives that peer tools write, and
// compares every entry with what Python's zipfile reports for the same file.
#include "records/ZipRecords.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "PeerArchives.h"
#include "RunCommand.h"
#include "Stream.h"
#include "TempDir.h"

namespace {

// Prints one line per entry: raw stored name, decoded name, flags, host,
// sizes, CRC and comment (hex, "-" for empty), then the archive comment.
const char* ListingScript = R"(import sys, zipfile
def h(b): return b.hex() or "-"
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        raw = i.orig_filename.encode("utf-8" if i.flag_bits & 0x800 else "cp437")
        print("entry", h(raw), h(i.orig_filename.encode("utf-8", "surrogateescape")), i.flag_bits,
              i.create_system, i.file_size, i.compress_size, i.CRC, h(i.comment))
    print("comment", h(z.comment))
)";

std::string FromHex(const std::string& hex)
{
    if (hex == "-")
        return "";
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

struct PeerEntry {
    std::string stored, name, comment;
    unsigned flags = 0, host = 0;
    std::uint64_t size = 0, compressedSize = 0;
    std::uint32_t crc = 0;
};

struct PeerListing {
    std::vector<PeerEntry> entries;
    std::string comment;
};

PeerListing ListWithPython(const TempDir& dir, const std::string& archive)
{
    std::istringstream lines(RunChecked(PythonCommand(dir, "list.py", ListingScript, {archive})));
    PeerListing listing;
    std::string kind;
    while (lines >> kind) {
        if (kind == "comment") {
            std::string hex;
            lines >> hex;
            listing.comment = FromHex(hex);
            continue;
        }
        PeerEntry e;
        std::string stored, name, comment;
        lines >> stored >> name >> e.flags >> e.host >> e.size >> e.compressedSize >> e.crc >> comment;
        e.stored = FromHex(stored);
        e.name = FromHex(name);
        e.comment = FromHex(comment);
        listing.entries.push_back(e);
    }
    return listing;
}

std::string ReadAt(TStream& stream, std::uint64_t position, std::size_t count)
{
    std::string bytes(count, '\0');
    stream.SetPosition(static_cast<std::int64_t>(position));
    stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(count));
    return bytes;
}

// The name the engine shows for a peer's entry, by the name rule: UTF-8 and
// DOS-made names as Python decodes them, other hosts' bytes unchanged.
std::string ExpectedName(const PeerEntry& peer)
{
    std::string name = (peer.flags & 0x800) || peer.host == HostMsDos ? peer.name : peer.stored;
    if (peer.host != HostUnix)
        std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

void ExpectDirectoryMatches(const PeerListing& peer, const std::string& archive)
{
    SCOPED_TRACE(archive);
    TFileStream stream(archive, fmOpenRead);
    TEndCentral end;
    ASSERT_TRUE(end.LoadFromStream(stream));
    EXPECT_FALSE(end.IsZip64());
    ASSERT_EQ(end.TotalEntries, peer.entries.size());
    EXPECT_EQ(end.ZipCommentLength(), peer.comment.size());
    EXPECT_EQ(ReadAt(stream, end.CommentPosition, end.ZipCommentLength()), peer.comment);

    stream.SetPosition(static_cast<std::int64_t>(end.CentralOffset));
    for (const PeerEntry& expected : peer.entries) {
        TZipHeaderInfo entry;
        entry.OEMConvert = true;
        ASSERT_TRUE(entry.ReadCentralFromStream(stream));
        SCOPED_TRACE(entry.FullName());
        EXPECT_EQ(entry.StoredName().bytes, expected.stored);
        EXPECT_EQ(entry.FullName(), ExpectedName(expected));
        EXPECT_EQ(entry.UncompressedSize, expected.size);
        EXPECT_EQ(entry.CompressedSize, expected.compressedSize);
        EXPECT_EQ(entry.CRC32, expected.crc);
        EXPECT_EQ(entry.HostSystem(), expected.host);
        EXPECT_TRUE(entry.NameIsSafe()) << entry.UnsafeReason();
        EXPECT_FALSE(entry.Damaged());
        EXPECT_FALSE(entry.IsZip64());
        stream.Seek(entry.CentralExtraLength, soFromCurrent);
        EXPECT_EQ(ReadAt(stream, static_cast<std::uint64_t>(stream.Position()), entry.CommentLength()),
                  expected.comment);
    }
    EXPECT_EQ(static_cast<std::uint64_t>(stream.Position()), end.CentralOffset + end.CentralSize);
}

void ExpectDirectoryMatchesPython(const TempDir& dir, const std::string& archive)
{
    ExpectDirectoryMatches(ListWithPython(dir, archive), archive);
}

TEST(PeerArchives, InfoZipArchivesWithFoldersLevelsAndComments)
{
    TempDir dir;
    MakePeerSourceTree(dir);
    for (const char* level : {"-0", "-9"}) {
        SCOPED_TRACE(level);
        const std::string archive = dir.File(std::string("info") + level + ".zip");
        RunChecked(InFolder(dir, "src", "zip -q -r " + std::string(level) + " " + ShellQuote(archive) + " ."));
        ExpectDirectoryMatchesPython(dir, archive);
    }
    // -z takes the archive comment and -c one comment per entry from stdin.
    const std::string commented = dir.File("commented.zip");
    RunChecked(InFolder(dir, "src", "zip -q " + ShellQuote(commented) + " readme.txt photos/noise.bin"));
    RunChecked(InFolder(dir, "src", "printf 'first entry\\nsecond entry\\n' | zip -q -c " + ShellQuote(commented)));
    RunChecked(InFolder(dir, "src", "printf 'the archive\\ncomment\\n.\\n' | zip -q -z " + ShellQuote(commented)));
    ExpectDirectoryMatchesPython(dir, commented);
}

TEST(PeerArchives, PythonArchivesWithTheLongestCommentAndUtf8Names)
{
    TempDir dir;
    const std::string archive = dir.File("python.zip");
    RunChecked(PythonCommand(dir, "make.py", PythonSampleArchiveScript, {archive}));
    ExpectDirectoryMatchesPython(dir, archive);
}

TEST(PeerArchives, SevenZipArchives)
{
    TempDir dir;
    MakePeerSourceTree(dir);
    const std::string archive = dir.File("seven.zip");
    RunChecked(InFolder(dir, "src", "7zz a -tzip -bd -bso0 " + ShellQuote(archive) + " ."));
    ExpectDirectoryMatchesPython(dir, archive);
}

TEST(PeerArchives, AnEndSignatureInsideTheCommentIsNotTheEndRecord)
{
    // Python's own reader falls for the decoy, so the oracle is the same
    // archive without the comment.
    TempDir dir;
    const std::string plain = dir.File("plain.zip");
    const std::string decoy = dir.File("decoy.zip");
    RunChecked(PythonCommand(dir, "make.py", PythonDecoyCommentScript, {plain, decoy}));
    PeerListing expected = ListWithPython(dir, plain);
    expected.comment = std::string("PK\x05\x06", 4);
    for (char c = 1; c <= 18; ++c)
        expected.comment.push_back(c);
    ExpectDirectoryMatches(expected, decoy);
}

TEST(PeerArchives, Zip64ArchivesAreRecognised)
{
    TempDir dir;
    const std::string archive = dir.File("zip64.zip");
    // 65536 entries need the zip64 end record; one entry forced to zip64
    // carries sentinel sizes in its local header.
    RunChecked(PythonCommand(dir, "make.py", R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", allowZip64=True) as z:
    with z.open("forced.txt", "w", force_zip64=True) as f:
        f.write(b"hello" * 10)
    for i in range(65535):
        z.writestr(zipfile.ZipInfo("%d" % i), b"")
)",
                             {archive}));
    TFileStream stream(archive, fmOpenRead);
    TEndCentral end;
    ASSERT_TRUE(end.LoadFromStream(stream));
    EXPECT_TRUE(end.HasZip64Locator());
    EXPECT_TRUE(end.IsZip64());
    EXPECT_EQ(end.TotalEntries, 0xFFFF);

    stream.SetPosition(0);
    TZipHeaderInfo local;
    ASSERT_TRUE(local.ReadLocalFromStream(stream));
    EXPECT_EQ(local.FullName(), "forced.txt");
    EXPECT_TRUE(local.IsZip64());
}

} // namespace
