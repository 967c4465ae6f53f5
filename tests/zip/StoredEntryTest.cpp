// Reading entries as stored: the bytes a peer finds between an entry's local
// header and the next record, encrypted ones included, and a clear error
// for an entry whose bytes are not there.
#include <gtest/gtest.h>

#include "PeerArchives.h"
#include "PeerCheck.h"
#include "RunCommand.h"
#include "TempDir.h"
#include "ZipExceptions.h"
#include "ZipReader.h"
#include "ZipWriter.h"

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

// Prints, per entry of the archive argv[1], its name and, in hexadecimal,
// the bytes from the end of its local header's name up to the end of its
// data (a data descriptor included), as Python's zipfile locates them.
const char* const PythonStoredBytesScript = R"(import struct, sys, zipfile
data = open(sys.argv[1], 'rb').read()
for info in zipfile.ZipFile(sys.argv[1]).infolist():
    off = info.header_offset
    n, m = struct.unpack('<HH', data[off + 26:off + 30])
    start = off + 30 + n
    end = start + m + info.compress_size
    if info.flag_bits & 8:
        end += 16 if data[end:end + 4] == b'PK\x07\x08' else 12
    print(info.filename, data[start:end].hex())
)";

} // namespace

TEST(StoredEntry, HoldsTheBytesAPeerFindsForEachEntry)
{
    TempDir dir;
    dir.Write("in/plain.txt", std::string(3000, 'p'));
    dir.Write("in/secret.txt", "the secret text");
    RunChecked(InFolder(dir, "in", "zip -q -X ../stored.zip plain.txt && zip -q -X -P pw ../stored.zip secret.txt"));
    // Written to a pipe, zip puts data descriptors after the data.
    RunChecked(InFolder(dir, "in", "zip -q -X -P pw - secret.txt > ../streamed.zip"));
    for (const char* archive : {"stored.zip", "streamed.zip"}) {
        SCOPED_TRACE(archive);
        const std::string expected =
            RunChecked(PythonCommand(dir, "stored.py", PythonStoredBytesScript, {dir.File(archive)}));
        TZipReader reader;
        reader.SetZipName(dir.File(archive));
        reader.ReadZip();
        std::string actual;
        for (int i = 0; i < reader.GetCount(); ++i) {
            const TStoredEntry stored = reader.ReadStoredEntry(i);
            EXPECT_EQ(stored.Header->FullName(), reader.GetFilename(i));
            EXPECT_EQ(stored.Header->Encrypted(), reader.GetEncrypted(i));
            actual += stored.Header->FullName() + " " + Hex(stored.Bytes) + "\n";
        }
        EXPECT_EQ(actual, expected);
    }
}

TEST(StoredEntry, AnEntryWhoseLocalHeaderIsNotThereIsABadZipFile)
{
    TempDir dir;
    dir.Write("in/a.txt", std::string(5000, 'a'));
    RunChecked(InFolder(dir, "in", "zip -q -X -0 ../moved.zip a.txt"));
    // The central header points into the middle of the entry's data.
    std::string bytes = ReadFileBytes(dir.File("moved.zip"));
    const std::size_t central = bytes.find("PK\x01\x02");
    ASSERT_NE(central, std::string::npos);
    bytes.replace(central + 42, 4, std::string("\x00\x08\x00\x00", 4));
    dir.Write("moved.zip", bytes);
    TZipReader reader;
    reader.SetZipName(dir.File("moved.zip"));
    reader.ReadZip();
    try {
        reader.ReadStoredEntry(0);
        ADD_FAILURE() << "no error";
    } catch (const EBadZipFile& e) {
        EXPECT_STREQ(e.what(), "Entry a.txt points outside the archive and cannot be copied");
    }
}

// An entry nobody here can decrypt, written into a new archive under a new
// name beside a fresh one: the peers read it with its password, with the
// data descriptor of a streamed entry too.
TEST(StoredEntry, GoesIntoANewArchiveUnchangedUnderANewName)
{
    TempDir dir;
    dir.Write("in/secret.txt", std::string(4000, 's') + "the secret text");
    RunChecked(InFolder(dir, "in", "zip -q -X -P pw ../sealed.zip secret.txt"));
    RunChecked(InFolder(dir, "in", "zip -q -X -P pw - secret.txt > ../streamed.zip"));
    for (const char* source : {"sealed.zip", "streamed.zip"}) {
        SCOPED_TRACE(source);
        TZipReader reader;
        reader.SetZipName(dir.File(source));
        reader.ReadZip();
        const TStoredEntry stored = reader.ReadStoredEntry(0);

        TZipWriter writer;
        writer.PackLevel = 9;
        writer.SetStorePaths(true);
        writer.SetStoreVolumes(true);
        const std::string target = dir.File(std::string("copy-") + source);
        writer.SetZipName(target);
        TMemoryStream fresh(std::vector<std::uint8_t>{'f', 'r', 'e', 's', 'h'});
        EXPECT_EQ(writer.AddStreamEntries({{&fresh, "fresh.txt", ""}, {nullptr, "Image1.jpg", "", &stored}}), 2);

        ExpectPeersAccept(dir, target, "pw");
        const std::map<std::string, std::string> expected{{"/fresh.txt", "fresh"},
                                                          {"/Image1.jpg", std::string(4000, 's') + "the secret text"}};
        EXPECT_EQ(PythonEntries(dir, target, "pw"), expected);
        writer.ReadZip();
        EXPECT_TRUE(writer.GetEncrypted(1));
        EXPECT_FALSE(writer.GetEncrypted(0));
    }
}
