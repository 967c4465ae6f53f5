#include "records/ZipRecords.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "Exceptions.h"
#include "records/ZipSignatures.h"

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

TMemoryStream StreamOf(const std::string& bytes)
{
    return TMemoryStream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::string BytesFrom(const TMemoryStream& stream, std::size_t offset = 0)
{
    return stream.Text().substr(offset);
}

const std::string CommentWithNul("hi\0!", 4);

// The entry "docs/notes", 2025-03-14 10:30:20, as a central header...
const std::string CentralFixture = Bytes({
    0x50, 0x4B, 0x01, 0x02, // central signature
    0x14, 0x00,             // version made by: 2.0, MS-DOS
    0x14, 0x00,             // version needed
    0x00, 0x00,             // flags
    0x08, 0x00,             // method: deflate
    0xCA, 0x53, 0x6E, 0x5A, // time, date
    0x78, 0x56, 0x34, 0x12, // CRC-32
    0xCD, 0xAB, 0x00, 0x00, // compressed size
    0x45, 0x23, 0x01, 0x00, // uncompressed size
    0x0A, 0x00,             // name length
    0x00, 0x00,             // extra length
    0x04, 0x00,             // comment length
    0x00, 0x00,             // disk number start
    0x01, 0x00,             // internal attributes
    0x20, 0x00, 0x00, 0x00, // external attributes
    0x00, 0x01, 0x00, 0x00, // local header offset
}) + "docs/notes" + CommentWithNul;

// ... as a local header ...
const std::string LocalFixture = Bytes({
    0x50, 0x4B, 0x03, 0x04, // local signature
    0x14, 0x00,             // version needed
    0x00, 0x00,             // flags
    0x08, 0x00,             // method
    0xCA, 0x53, 0x6E, 0x5A, // time, date
    0x78, 0x56, 0x34, 0x12, // CRC-32
    0xCD, 0xAB, 0x00, 0x00, // compressed size
    0x45, 0x23, 0x01, 0x00, // uncompressed size
    0x0A, 0x00,             // name length
    0x00, 0x00,             // extra length
}) + "docs/notes";

// ... and the end record of an archive holding it.
const std::string AlbumComment("album\0x", 7);
const std::string EndFixture = Bytes({
    0x50, 0x4B, 0x05, 0x06, // end signature
    0x00, 0x00,             // this disk
    0x00, 0x00,             // central directory disk
    0x01, 0x00,             // entries on this disk
    0x01, 0x00,             // total entries
    0x3C, 0x00, 0x00, 0x00, // central directory size
    0x40, 0x00, 0x00, 0x00, // central directory offset
    0x07, 0x00,             // comment length
}) + AlbumComment;

// A stream that only keeps its position, to write far out without memory.
class TPositionOnlyStream : public TStream {
public:
    std::int64_t Read(void*, std::int64_t) override { return 0; }
    std::int64_t Write(const void*, std::int64_t count) override
    {
        position_ += count;
        written += count;
        return count;
    }
    std::int64_t Seek(std::int64_t offset, int origin) override
    {
        position_ = SeekTarget(offset, origin, position_, position_);
        return position_;
    }
    std::int64_t written = 0;

private:
    std::int64_t position_ = 0;
};

void FillFixtureEntry(TZipHeaderInfo& entry)
{
    entry.OEMConvert = true;
    entry.ModDateTime = 0x5A6E53CA;
    entry.CRC32 = 0x12345678;
    entry.CompressedSize = 0xABCD;
    entry.UncompressedSize = 0x12345;
    entry.LocalHeaderOffset = 0x100;
    entry.SetDirectory("docs");
    entry.SetFilename("notes");
    entry.SetFileComment(CommentWithNul);
}

// A central header for name bytes with the given made-by host and flags.
std::string CentralWithName(const std::string& name, int host, int flags)
{
    std::string header = CentralFixture.substr(0, 46);
    header[5] = static_cast<char>(host);
    header[8] = static_cast<char>(flags & 0xFF);
    header[9] = static_cast<char>(flags >> 8);
    header[28] = static_cast<char>(name.size());
    header[32] = 0; // no comment
    return header + name;
}

TEST(ZipHeaderInfo, ClearGivesTheDefaults)
{
    TZipHeaderInfo entry;
    EXPECT_EQ(entry.VersionMadeBy, 20);
    EXPECT_EQ(entry.VersionNeeded, 20);
    EXPECT_EQ(entry.Flags, 0);
    EXPECT_EQ(entry.CompressionMethod, 8);
    EXPECT_EQ(entry.CRC32, 0xFFFFFFFFu);
    EXPECT_EQ(entry.InternalAttributes, 1);
    EXPECT_EQ(entry.ExternalAttributes, 32u);
    EXPECT_EQ(entry.FilenameLength(), 0u);
    EXPECT_FALSE(entry.HasComment());
    EXPECT_FALSE(entry.OEMConvert);
    EXPECT_FALSE(entry.Selected);
}

TEST(ZipHeaderInfo, WritesTheCentralHeaderByteForByte)
{
    TZipHeaderInfo entry;
    FillFixtureEntry(entry);
    TMemoryStream stream;
    entry.SaveCentralToStream(stream);
    EXPECT_EQ(BytesFrom(stream), CentralFixture);
    EXPECT_EQ(entry.CentralSize(), CentralFixture.size());
}

TEST(ZipHeaderInfo, ReadsTheCentralHeaderAndWritesItBackUnchanged)
{
    TMemoryStream in = StreamOf("junk" + CentralFixture);
    in.SetPosition(4);
    TZipHeaderInfo entry;
    entry.OEMConvert = true;
    ASSERT_TRUE(entry.ReadCentralFromStream(in));
    EXPECT_EQ(in.Position(), 4 + 46 + 10); // just after the name
    EXPECT_EQ(entry.Directory(), "docs/");
    EXPECT_EQ(entry.Filename(), "notes");
    EXPECT_EQ(entry.FilenameLength(), 10u);
    EXPECT_EQ(entry.ModDateTime, 0x5A6E53CAu);
    EXPECT_EQ(entry.CRC32, 0x12345678u);
    EXPECT_EQ(entry.CompressedSize, 0xABCDu);
    EXPECT_EQ(entry.UncompressedSize, 0x12345u);
    EXPECT_EQ(entry.CommentLength(), 4u);
    EXPECT_FALSE(entry.FileComment()); // read on demand by the reader
    EXPECT_EQ(entry.LocalHeaderOffset, 0x100u);
    EXPECT_EQ(entry.CentralHeaderOffset, 4u);

    entry.SetFileComment(CommentWithNul);
    TMemoryStream out;
    entry.SaveCentralToStream(out);
    EXPECT_EQ(BytesFrom(out), CentralFixture);
}

TEST(ZipHeaderInfo, WritesTheLocalHeaderAndRecordsItsPosition)
{
    TZipHeaderInfo entry;
    FillFixtureEntry(entry);
    TMemoryStream stream;
    stream.SetPosition(0x80);
    entry.SaveLocalToStream(stream);
    EXPECT_EQ(entry.LocalHeaderOffset, 0x80u);
    EXPECT_EQ(BytesFrom(stream, 0x80), LocalFixture);
    EXPECT_EQ(entry.LocalSize(), LocalFixture.size());

    TMemoryStream in = StreamOf(BytesFrom(stream));
    in.SetPosition(0x80);
    TZipHeaderInfo read;
    ASSERT_TRUE(read.ReadLocalFromStream(in));
    EXPECT_EQ(read.LocalHeaderOffset, 0x80u);
    EXPECT_EQ(read.VersionMadeBy, 0);
    EXPECT_EQ(read.FullName(), "docs/notes");
    EXPECT_EQ(read.CompressedSize, 0xABCDu);
    EXPECT_EQ(in.Position(), static_cast<std::int64_t>(0x80 + LocalFixture.size()));
}

TEST(ZipHeaderInfo, WritesTheCentralExtraBytesTheCallerGives)
{
    TZipHeaderInfo entry;
    FillFixtureEntry(entry);
    entry.CentralExtraLength = 4;
    TMemoryStream stream;
    entry.SaveCentralToStream(stream, "EXTR");
    const std::string bytes = BytesFrom(stream);
    EXPECT_EQ(bytes.substr(30, 2), Bytes({4, 0}));
    EXPECT_EQ(bytes.substr(46 + 10), "EXTR" + CommentWithNul);

    // The side file keeps the length without the bytes.
    TMemoryStream sideFile;
    entry.SaveCentralToStream(sideFile);
    EXPECT_EQ(BytesFrom(sideFile).substr(30, 2), Bytes({4, 0}));
    EXPECT_EQ(BytesFrom(sideFile).size(), CentralFixture.size());
}

struct TruncatedRead {
    const char* what;
    std::string bytes;
};

TEST(ZipHeaderInfo, ShortOrForeignHeadersReadAsFalseAndPutTheStreamBack)
{
    const std::vector<TruncatedRead> centralCases = {
        {"empty", ""},
        {"signature only", CentralFixture.substr(0, 4)},
        {"45 bytes", CentralFixture.substr(0, 45)},
        {"name cut short", CentralFixture.substr(0, 50)},
        {"local signature", "PK\x03\x04" + CentralFixture.substr(4)},
    };
    for (const auto& c : centralCases) {
        SCOPED_TRACE(c.what);
        TMemoryStream stream = StreamOf("xx" + c.bytes);
        stream.SetPosition(2);
        TZipHeaderInfo entry;
        EXPECT_FALSE(entry.ReadCentralFromStream(stream));
        EXPECT_EQ(stream.Position(), 2);
    }
    const std::vector<TruncatedRead> localCases = {
        {"empty", ""},
        {"29 bytes", LocalFixture.substr(0, 29)},
        {"name cut short", LocalFixture.substr(0, 35)},
        {"central signature", "PK\x01\x02" + LocalFixture.substr(4)},
    };
    for (const auto& c : localCases) {
        SCOPED_TRACE(c.what);
        TMemoryStream stream = StreamOf("xx" + c.bytes);
        stream.SetPosition(2);
        TZipHeaderInfo entry;
        EXPECT_FALSE(entry.ReadLocalFromStream(stream));
        EXPECT_EQ(stream.Position(), 2);
    }
}

TEST(ZipHeaderInfo, CompletesACentralHeaderSplitAcrossVolumes)
{
    for (const std::size_t cut : {0u, 2u, 10u}) {
        SCOPED_TRACE(cut);
        TMemoryStream first = StreamOf("tail" + CentralFixture.substr(0, cut));
        TMemoryStream second = StreamOf(CentralFixture.substr(cut));
        first.SetPosition(4);
        TStream* stream = &first;
        int calls = 0;
        TZipHeaderInfo entry;
        const bool read = entry.ReadCentralFromStream(stream, [&](TZipHeaderInfo&, TStream*& current) {
            ++calls;
            current = &second;
        });
        ASSERT_TRUE(read);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(stream, &second);
        EXPECT_EQ(entry.FullName(), "docs/notes");
        EXPECT_EQ(entry.CRC32, 0x12345678u);
    }
}

TEST(ZipHeaderInfo, AsksNoNextVolumeForAForeignRecord)
{
    TMemoryStream stream = StreamOf(std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    TStream* current = &stream;
    int calls = 0;
    TZipHeaderInfo entry;
    EXPECT_FALSE(entry.ReadCentralFromStream(current, [&](TZipHeaderInfo&, TStream*&) { ++calls; }));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(ZipHeaderInfo, AnEncryptedEntryShorterThanItsEncryptionHeaderIsDamaged)
{
    struct Case {
        std::uint16_t flags;
        std::uint64_t compressedSize;
        bool damaged;
    };
    const Case cases[] = {{1, 0, true}, {1, 11, true}, {1, 12, false}, {0, 0, false}, {0, 11, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.compressedSize);
        std::string header = CentralFixture.substr(0, 46);
        header[8] = static_cast<char>(c.flags);
        header.replace(20, 4, Bytes({static_cast<int>(c.compressedSize), 0, 0, 0}));
        header[28] = 0;
        header[32] = 0;
        TMemoryStream stream = StreamOf(header);
        TZipHeaderInfo entry;
        ASSERT_TRUE(entry.ReadCentralFromStream(stream));
        EXPECT_EQ(entry.Damaged(), c.damaged);
        EXPECT_EQ(entry.CompressedSize, c.compressedSize); // no wrap-around below 12
    }
}

TEST(ZipHeaderInfo, Zip64SentinelsAreRecognised)
{
    struct Case {
        const char* what;
        std::size_t offset;
        std::string bytes;
    };
    const Case cases[] = {
        {"compressed size", 20, Bytes({0xFF, 0xFF, 0xFF, 0xFF})},
        {"uncompressed size", 24, Bytes({0xFF, 0xFF, 0xFF, 0xFF})},
        {"disk number", 34, Bytes({0xFF, 0xFF})},
        {"local header offset", 42, Bytes({0xFF, 0xFF, 0xFF, 0xFF})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string header = CentralWithName("a", 0, 0);
        header.replace(c.offset, c.bytes.size(), c.bytes);
        TMemoryStream stream = StreamOf(header);
        TZipHeaderInfo entry;
        ASSERT_TRUE(entry.ReadCentralFromStream(stream));
        EXPECT_TRUE(entry.IsZip64());
    }
    TMemoryStream plain = StreamOf(CentralFixture);
    TZipHeaderInfo entry;
    ASSERT_TRUE(entry.ReadCentralFromStream(plain));
    EXPECT_FALSE(entry.IsZip64());
}

TEST(ZipHeaderInfo, AConvertedNameLongerThanARecordHoldsIsWrittenBackAsItsStoredBytes)
{
    const std::string storedName(65535, '\xB0'); // CP437 light shade, three bytes in UTF-8
    std::string record = CentralFixture.substr(0, 46);
    record.replace(28, 2, Bytes({0xFF, 0xFF})); // name length
    record.replace(32, 2, Bytes({0x00, 0x00})); // no comment
    record += storedName;
    TMemoryStream in = StreamOf(record);
    TZipHeaderInfo entry;
    entry.OEMConvert = true;
    ASSERT_TRUE(entry.ReadCentralFromStream(in));
    EXPECT_EQ(entry.FullName().size(), 3 * storedName.size());
    EXPECT_EQ(entry.FilenameLength(), storedName.size());
    TMemoryStream out;
    entry.SaveCentralToStream(out);
    EXPECT_TRUE(BytesFrom(out) == record);
    // A changed name is stored anew, and that form no longer fits.
    entry.SetDirectory("d");
    TMemoryStream refused;
    EXPECT_THROW(entry.SaveCentralToStream(refused), EWriteError);
    EXPECT_EQ(refused.Size(), 0);
}

TEST(ZipHeaderInfo, RefusesWhatTheRecordsCannotHold)
{
    {
        TZipHeaderInfo entry;
        entry.SetFilename(std::string(65536, 'n'));
        TMemoryStream stream;
        EXPECT_THROW(entry.SaveCentralToStream(stream), EWriteError);
        EXPECT_THROW(entry.SaveLocalToStream(stream), EWriteError);
        EXPECT_EQ(stream.Size(), 0);
        entry.SetFilename(std::string(65535, 'n'));
        EXPECT_NO_THROW(entry.SaveLocalToStream(stream));
    }
    {
        TZipHeaderInfo entry;
        entry.SetFileComment(std::string(65536, 'c'));
        TMemoryStream stream;
        EXPECT_THROW(entry.SaveCentralToStream(stream), EWriteError);
    }
    {
        TZipHeaderInfo entry;
        entry.CompressedSize = 0x100000000;
        TMemoryStream stream;
        EXPECT_THROW(entry.SaveLocalToStream(stream), EWriteError);
        entry.CompressedSize = 0;
        entry.LocalHeaderOffset = 0x100000000;
        EXPECT_THROW(entry.SaveCentralToStream(stream), EWriteError);
    }
    {
        TZipHeaderInfo entry;
        TPositionOnlyStream stream;
        stream.Seek(0x100000000, soFromBeginning); // beyond 4 GiB - 1
        EXPECT_THROW(entry.SaveLocalToStream(stream), EWriteError);
        EXPECT_THROW(entry.SaveCentralToStream(stream), EWriteError);
        EXPECT_EQ(entry.LocalHeaderOffset, 0u);
        EXPECT_EQ(stream.written, 0);
        // 0xFFFFFFFF itself means "see the zip64 record" to every reader.
        stream.Seek(0xFFFFFFFF, soFromBeginning);
        EXPECT_THROW(entry.SaveLocalToStream(stream), EWriteError);
        stream.Seek(0xFFFFFFFE, soFromBeginning);
        EXPECT_NO_THROW(entry.SaveLocalToStream(stream));
        EXPECT_EQ(entry.LocalHeaderOffset, 0xFFFFFFFEu);
    }
}

// Each field at 0xFFFFFFFF is refused on writing, with the field named;
// one less is written and read back as a plain (not zip64) entry.
TEST(ZipHeaderInfo, TheZip64MarkerValueIsNeverWritten)
{
    struct Case {
        const char* name;
        std::uint64_t TZipHeaderInfo::*field;
        const char* message;
    };
    const Case cases[] = {
        {"compressed size", &TZipHeaderInfo::CompressedSize,
         "A compressed size of 4294967295 or more cannot be stored in a zip archive"},
        {"uncompressed size", &TZipHeaderInfo::UncompressedSize,
         "An uncompressed size of 4294967295 or more cannot be stored in a zip archive"},
        {"local header offset", &TZipHeaderInfo::LocalHeaderOffset,
         "A local header position of 4294967295 or more cannot be stored in a zip archive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TZipHeaderInfo entry;
        entry.SetFilename("big.bin");
        entry.*c.field = 0xFFFFFFFF;
        TMemoryStream stream;
        try {
            entry.SaveCentralToStream(stream);
            ADD_FAILURE() << "written";
        } catch (const EWriteError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        if (c.field != &TZipHeaderInfo::LocalHeaderOffset) {
            EXPECT_THROW(entry.SaveLocalToStream(stream), EWriteError);
        }
        EXPECT_EQ(stream.Size(), 0);

        entry.*c.field = 0xFFFFFFFE;
        entry.SaveCentralToStream(stream);
        stream.SetPosition(0);
        TZipHeaderInfo read;
        ASSERT_TRUE(read.ReadCentralFromStream(stream));
        EXPECT_EQ(read.*c.field, 0xFFFFFFFEu);
        EXPECT_FALSE(read.IsZip64());
    }
}

TEST(ZipHeaderInfo, CentralSizeCountsNameExtraAndComment)
{
    TZipHeaderInfo entry;
    entry.SetDirectory("abcd");
    entry.SetFilename("efghi");
    entry.CentralExtraLength = 4;
    entry.SetFileComment("12345");
    EXPECT_EQ(entry.CentralSize(), 65u);
    EXPECT_EQ(entry.LocalSize(), 40u);
}

TEST(ZipHeaderInfo, SetDirectoryAppendsTheSlashOnlyToAFolderName)
{
    TZipHeaderInfo entry;
    entry.SetDirectory("");
    EXPECT_EQ(entry.Directory(), "");
    entry.SetDirectory("photos");
    EXPECT_EQ(entry.Directory(), "photos/");
    entry.SetDirectory("photos/");
    EXPECT_EQ(entry.Directory(), "photos/");
    entry.SetFilename("a.jpg");
    EXPECT_EQ(entry.FilenameLength(), 12u);
}

TEST(ZipHeaderInfo, AssignCopiesAllButTheOemFlag)
{
    TMemoryStream stream = StreamOf(CentralWithName("caf\x82.txt", 0, 0));
    TZipHeaderInfo source;
    source.OEMConvert = true;
    ASSERT_TRUE(source.ReadCentralFromStream(stream));
    source.SetFileComment(CommentWithNul);
    source.Selected = true;

    TZipHeaderInfo copy;
    copy.SetFileComment("old comment");
    copy.Assign(source);
    EXPECT_FALSE(copy.OEMConvert);
    EXPECT_EQ(copy.FullName(), "café.txt");
    EXPECT_EQ(copy.StoredName().bytes, "caf\x82.txt"); // the stored bytes travel along
    EXPECT_EQ(copy.FileComment(), CommentWithNul);
    EXPECT_EQ(copy.CentralHeaderOffset, source.CentralHeaderOffset);
    EXPECT_TRUE(copy.Selected);

    TZipHeaderInfo noComment;
    copy.Assign(noComment);
    EXPECT_FALSE(copy.HasComment());
    EXPECT_FALSE(copy.FileComment());
}

struct NameCase {
    const char* what;
    std::string stored;
    int host;
    int flags;
    bool oemConvert;
    std::string name;
};

TEST(ZipHeaderInfo, NamesAreConvertedByHostFlagAndSetting)
{
    const std::vector<NameCase> cases = {
        {"MS-DOS, OEM", "caf\x82.txt", 0, 0, true, "café.txt"},
        {"MS-DOS, no OEM conversion", "caf\x82.txt", 0, 0, false, "caf\x82.txt"},
        {"Unix keeps its bytes", "caf\x82.txt", 3, 0, true, "caf\x82.txt"},
        {"Unix UTF-8 without the flag", "café.txt", 3, 0, true, "café.txt"},
        {"UTF-8 flag wins over OEM", "日本.jpg", 0, 0x0800, true, "日本.jpg"},
        {"DOS backslashes", "docs\\notes", 0, 0, true, "docs/notes"},
        {"Unix backslash is a character", "a\\b", 3, 0, true, "a\\b"},
        {"colon is no drive", "C:notes", 0, 0, true, "C:notes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TMemoryStream stream = StreamOf(CentralWithName(c.stored, c.host, c.flags));
        TZipHeaderInfo entry;
        entry.OEMConvert = c.oemConvert;
        ASSERT_TRUE(entry.ReadCentralFromStream(stream));
        EXPECT_EQ(entry.FullName(), c.name);
        EXPECT_EQ(entry.FilenameLength(), c.stored.size());

        // Written back, a kept entry has exactly the name it had.
        TMemoryStream out;
        entry.SaveCentralToStream(out);
        EXPECT_EQ(BytesFrom(out), CentralWithName(c.stored, c.host, c.flags));
    }
}

TEST(ZipHeaderInfo, LocalHeaderNamesAreConvertedWhenTheFlagIsSet)
{
    std::string header = LocalFixture.substr(0, 30);
    header[26] = 8;
    TMemoryStream stream = StreamOf(header + "caf\x82.txt");
    TZipHeaderInfo entry;
    entry.OEMConvert = true;
    ASSERT_TRUE(entry.ReadLocalFromStream(stream));
    EXPECT_EQ(entry.FullName(), "café.txt");
}

struct NewNameCase {
    const char* name;
    bool oemConvert;
    std::string stored;
    bool utf8Flag;
};

TEST(ZipHeaderInfo, NewNamesAreStoredAsCp437OrAsFlaggedUtf8)
{
    const NewNameCase cases[] = {
        {"/Image1.jpg", true, "/Image1.jpg", false},
        {"/café.jpg", true, "/caf\x82.jpg", false},
        {"/café.jpg", false, "/café.jpg", true},
        {"/日本.jpg", true, "/日本.jpg", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TZipHeaderInfo entry;
        entry.OEMConvert = c.oemConvert;
        entry.SetDirectory("/");
        entry.SetFilename(std::string(c.name).substr(1));
        TMemoryStream local;
        entry.SaveLocalToStream(local);
        const std::string bytes = BytesFrom(local);
        EXPECT_EQ(bytes.substr(30), c.stored);
        EXPECT_EQ((static_cast<unsigned char>(bytes[7]) & 0x08) != 0, c.utf8Flag);
        EXPECT_EQ((entry.Flags & 0x0800) != 0, c.utf8Flag);

        // Read back by the same rule, the name is the one written.
        TMemoryStream central;
        entry.SaveCentralToStream(central);
        central.SetPosition(0);
        TZipHeaderInfo read;
        read.OEMConvert = c.oemConvert;
        ASSERT_TRUE(read.ReadCentralFromStream(central));
        EXPECT_EQ(read.FullName(), c.name);
    }
}

TEST(ZipHeaderInfo, ARenamedEntryIsEncodedAfresh)
{
    TMemoryStream stream = StreamOf(CentralWithName("docs\\old.txt", 0, 0));
    TZipHeaderInfo entry;
    entry.OEMConvert = true;
    ASSERT_TRUE(entry.ReadCentralFromStream(stream));
    EXPECT_EQ(entry.StoredName().bytes, "docs\\old.txt");
    entry.SetFilename("new.txt");
    EXPECT_EQ(entry.StoredName().bytes, "docs/new.txt");
}

TEST(ZipHeaderInfo, UnsafeNamesAreMarkedWithAReason)
{
    struct Case {
        std::string stored;
        std::string safePath;
        bool safe;
    };
    const Case cases[] = {
        {"/pictoview.ini", "pictoview.ini", true},
        {"photos/", "photos/", true},
        {"../../etc/passwd", "", false},
        {"a\\..\\b", "", false},
        {std::string("evil\0.txt", 9), "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        TMemoryStream stream = StreamOf(CentralWithName(c.stored, 0, 0));
        TZipHeaderInfo entry;
        ASSERT_TRUE(entry.ReadCentralFromStream(stream));
        EXPECT_EQ(entry.NameIsSafe(), c.safe);
        EXPECT_EQ(entry.SafePath(), c.safePath);
        EXPECT_EQ(entry.UnsafeReason().empty(), c.safe);
    }
    TMemoryStream album = StreamOf(CentralWithName("/pictoview.ini", 0, 0));
    TZipHeaderInfo entry;
    ASSERT_TRUE(entry.ReadCentralFromStream(album));
    EXPECT_EQ(entry.Directory(), "/");
    EXPECT_EQ(entry.Filename(), "pictoview.ini");
}

TEST(ZipHeaderInfo, ReadingClampsTheDateTime)
{
    std::string header = CentralWithName("a", 0, 0);
    // 1980-00-00 24:00:00: month 0 and hour 24 are out of range.
    header.replace(12, 4, Bytes({0x00, 0xC0, 0x00, 0x00}));
    TMemoryStream stream = StreamOf(header);
    TZipHeaderInfo entry;
    ASSERT_TRUE(entry.ReadCentralFromStream(stream));
    EXPECT_EQ(entry.ModDateTime, (1u << 21) | (1u << 16) | (23u << 11));
}

// ---- TEndCentral ----------------------------------------------------------

TEST(EndCentral, WritesAndFindsTheRecordByteForByte)
{
    TEndCentral end;
    end.EntriesThisDisk = 1;
    end.TotalEntries = 1;
    end.CentralSize = 0x3C;
    end.CentralOffset = 0x40;
    end.SetComment(AlbumComment);
    TMemoryStream stream = StreamOf(std::string(0x40, 'L') + CentralFixture);
    stream.Seek(0, soFromEnd);
    end.SaveToStream(stream);
    EXPECT_EQ(BytesFrom(stream, 0x40 + CentralFixture.size()), EndFixture);
    EXPECT_EQ(end.EndCentralSize(), EndFixture.size());

    TEndCentral read;
    stream.SetPosition(5);
    ASSERT_TRUE(read.LoadFromStream(stream));
    EXPECT_EQ(stream.Position(), 5);
    EXPECT_EQ(read.TotalEntries, 1);
    EXPECT_EQ(read.CentralSize, 0x3Cu);
    EXPECT_EQ(read.CentralOffset, 0x40u);
    EXPECT_EQ(read.ZipCommentLength(), 7u);
    EXPECT_EQ(read.CommentPosition, 0x40 + CentralFixture.size() + 22);
    EXPECT_FALSE(read.IsZip64());
}

TEST(EndCentral, EmptyStreamIsAnEmptyArchiveAndAShortOneIsNot)
{
    TEndCentral end;
    TMemoryStream empty;
    EXPECT_TRUE(end.LoadFromStream(empty));
    EXPECT_EQ(end.TotalEntries, 0);
    TMemoryStream tenBytes = StreamOf(std::string(10, 'x'));
    EXPECT_FALSE(end.LoadFromStream(tenBytes));
    TMemoryStream noRecord = StreamOf(std::string(1000, 'x'));
    noRecord.SetPosition(7);
    EXPECT_FALSE(end.LoadFromStream(noRecord));
    EXPECT_EQ(noRecord.Position(), 7);
}

// Written by hand where it holds the zip64 marker, which TEndCentral refuses
// to write.
std::string EndRecordWith(std::uint32_t centralSize, std::uint32_t centralOffset, const std::string& comment)
{
    TEndCentral end;
    end.SetComment(comment);
    TMemoryStream stream;
    end.SaveToStream(stream);
    std::string record = stream.Text();
    for (int i = 0; i < 4; ++i) {
        record[12 + i] = static_cast<char>(centralSize >> (8 * i));
        record[16 + i] = static_cast<char>(centralOffset >> (8 * i));
    }
    return record;
}

TEST(EndCentral, ARecordInsideTheCommentIsNotTakenForTheRealOne)
{
    const std::string fake = EndRecordWith(0x10, 0x20, "");
    const std::string real = EndRecordWith(0, 100, "before " + fake + " after");
    TMemoryStream stream = StreamOf(std::string(100, 'C') + real);
    TEndCentral end;
    ASSERT_TRUE(end.LoadFromStream(stream));
    EXPECT_EQ(end.CentralOffset, 100u);
    EXPECT_EQ(end.CommentPosition, 122u);
}

TEST(EndCentral, FallsBackToTheLastSignatureWhenNoRecordEndsTheFile)
{
    // Bytes after the record (say, appended junk): the last signature wins.
    const std::string record = EndRecordWith(0, 100, "");
    TMemoryStream stream = StreamOf(std::string(100, 'C') + record + "trailing");
    TEndCentral end;
    ASSERT_TRUE(end.LoadFromStream(stream));
    EXPECT_EQ(end.CentralOffset, 100u);
}

TEST(EndCentral, FindsTheRecordBehindTheLongestComment)
{
    const std::string record = EndRecordWith(0, 3, std::string(65535, 'z'));
    TMemoryStream stream = StreamOf("abc" + record);
    TEndCentral end;
    ASSERT_TRUE(end.LoadFromStream(stream));
    EXPECT_EQ(end.ZipCommentLength(), 65535u);
    EXPECT_EQ(end.CommentPosition, 25u);
}

TEST(EndCentral, RecognisesTheZip64LocatorAndSentinels)
{
    const std::string locator = Bytes({0x50, 0x4B, 0x06, 0x07}) + std::string(16, '\0');
    TMemoryStream withLocator = StreamOf(locator + EndRecordWith(0xFFFFFFFF, 0xFFFFFFFF, ""));
    TEndCentral end;
    ASSERT_TRUE(end.LoadFromStream(withLocator));
    EXPECT_TRUE(end.HasZip64Locator());
    EXPECT_TRUE(end.IsZip64());

    TMemoryStream sentinelOnly = StreamOf(std::string(20, 'x') + EndRecordWith(0, 0xFFFFFFFF, ""));
    ASSERT_TRUE(end.LoadFromStream(sentinelOnly));
    EXPECT_FALSE(end.HasZip64Locator());
    EXPECT_TRUE(end.IsZip64());
}

TEST(EndCentral, RefusesWhatTheRecordCannotHold)
{
    TEndCentral end;
    end.SetComment(std::string(65536, 'c'));
    TMemoryStream stream;
    EXPECT_THROW(end.SaveToStream(stream), EWriteError);
    end.SetComment("");
    end.CentralOffset = 0x100000000;
    EXPECT_THROW(end.SaveToStream(stream), EWriteError);
    EXPECT_EQ(stream.Size(), 0);
}

TEST(EndCentral, AssignCopiesTheRecordAndItsComment)
{
    TEndCentral source;
    source.TotalEntries = 3;
    source.CentralOffset = 77;
    source.SetComment(AlbumComment);
    source.CommentPosition = 99;
    TEndCentral copy;
    copy.Assign(source);
    EXPECT_EQ(copy.TotalEntries, 3);
    EXPECT_EQ(copy.CentralOffset, 77u);
    EXPECT_EQ(copy.ZipComment(), AlbumComment);
    EXPECT_EQ(copy.CommentPosition, 99u);
    TEndCentral none;
    copy.Assign(none);
    EXPECT_FALSE(copy.HasComment());
    EXPECT_FALSE(copy.ZipComment());
}

// ---- Signatures -----------------------------------------------------------

TEST(ZipSignatures, PrivateSignaturesAreWrittenAndExpected)
{
    SetSignatures(0x11223344, 0x55667788, 0);
    EXPECT_EQ(LocalSignatureBytes(), (std::array<std::uint8_t, 4>{0x88, 0x77, 0x66, 0x55}));
    EXPECT_EQ(EndSignature(), DefaultEndSignature);
    EXPECT_EQ(EndSignatureFirstByte(), 0x50);
    TZipHeaderInfo entry;
    TMemoryStream stream;
    entry.SaveLocalToStream(stream);
    EXPECT_EQ(BytesFrom(stream).substr(0, 4), Bytes({0x88, 0x77, 0x66, 0x55}));
    stream.SetPosition(0);
    EXPECT_TRUE(entry.ReadLocalFromStream(stream));
    SetSignatures(0, 0, 0);
    stream.SetPosition(0);
    EXPECT_FALSE(entry.ReadLocalFromStream(stream));
    EXPECT_EQ(CentralSignature(), DefaultCentralSignature);
    EXPECT_EQ(LocalSignature(), DefaultLocalSignature);
}

} // namespace
