#include "crypt/ZipCrypt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>
#include <zlib.h>

#include "RunCommand.h"
#include "TempDir.h"
#include "ZipWriter.h"
#include "crc/Crc32.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }
std::string ToString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::uint32_t CRC32Of(const Bytes& bytes)
{
    return ~UpdateCRC(CRC32Start, bytes.data(), std::int64_t(bytes.size()));
}

// Text with repeats (so deflate has matches) and a run of scrambled bytes.
Bytes SampleData()
{
    std::string text;
    for (int line = 0; line < 400; ++line)
        text += "line " + std::to_string(line) + " of the sample: pictures, albums and thumbnails\n";
    for (unsigned i = 0; i < 3000; ++i)
        text += char((i * 2654435761u) >> 24);
    return ToBytes(text);
}

// ---- A tiny reader for the one-entry archives the peers make -------------

std::uint16_t Get16(const std::string& b, std::size_t at)
{
    return std::uint16_t(std::uint8_t(b.at(at)) | std::uint8_t(b.at(at + 1)) << 8);
}

std::uint32_t Get32(const std::string& b, std::size_t at)
{
    return std::uint32_t(Get16(b, at)) | std::uint32_t(Get16(b, at + 2)) << 16;
}

struct TPeerEntry {
    std::uint16_t Flags = 0;
    std::uint16_t Method = 0;
    std::uint32_t ModDateTime = 0;
    std::uint32_t CRC32 = 0;
    std::uint32_t UncompressedSize = 0;
    Bytes Data; // the entry's data as stored, encryption header first
};

// Takes the fields from the first central header (complete even for streamed
// entries, whose local header lacks sizes) and the data from behind its local header.
TPeerEntry ReadOnlyEntry(const std::string& archive)
{
    const std::size_t end = archive.rfind(std::string("PK\x05\x06", 4));
    if (end == std::string::npos)
        throw std::runtime_error("no end record");
    const std::size_t central = Get32(archive, end + 16); // offset of the central directory
    if (Get32(archive, central) != 0x02014B50)
        throw std::runtime_error("no central header");
    TPeerEntry entry;
    entry.Flags = Get16(archive, central + 8);
    entry.Method = Get16(archive, central + 10);
    entry.ModDateTime = Get32(archive, central + 12);
    entry.CRC32 = Get32(archive, central + 16);
    const std::uint32_t compressedSize = Get32(archive, central + 20);
    entry.UncompressedSize = Get32(archive, central + 24);
    const std::size_t local = Get32(archive, central + 42); // offset of the local header
    if (Get32(archive, local) != 0x04034B50 || compressedSize == 0xFFFFFFFF)
        throw std::runtime_error("unexpected local header");
    const std::size_t data = local + 30 + Get16(archive, local + 26) + Get16(archive, local + 28);
    const std::string stored = archive.substr(data, compressedSize);
    entry.Data = ToBytes(stored);
    return entry;
}

// ---- A tiny writer for a one-entry archive around our encrypted data -----

void Put16(Bytes& out, std::uint32_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutBytes(Bytes& out, const Bytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

constexpr std::uint32_t SampleDateTime = 0x58216000; // 2024-01-01 12:00:00

// Fields shared by the local and the central header, from "version needed" on.
void PutCommonFields(Bytes& out, std::uint16_t method, std::uint32_t crc, std::size_t dataSize,
    std::size_t uncompressedSize, std::size_t nameLength)
{
    Put16(out, 20);     // version needed to extract
    Put16(out, 0x0001); // general purpose flags: encrypted
    Put16(out, method); // compression method
    Put32(out, SampleDateTime);
    Put32(out, crc);
    Put32(out, std::uint32_t(dataSize));         // compressed size
    Put32(out, std::uint32_t(uncompressedSize)); // uncompressed size
    Put16(out, std::uint32_t(nameLength));
}

Bytes OneEntryArchive(const std::string& name, std::uint16_t method, std::uint32_t crc,
    const Bytes& encryptedData, std::size_t uncompressedSize)
{
    Bytes out;
    Put32(out, 0x04034B50); // local signature
    PutCommonFields(out, method, crc, encryptedData.size(), uncompressedSize, name.size());
    Put16(out, 0); // local extra length
    PutBytes(out, ToBytes(name));
    PutBytes(out, encryptedData);

    const std::size_t central = out.size();
    Put32(out, 0x02014B50); // central signature
    Put16(out, 20);         // version made by
    PutCommonFields(out, method, crc, encryptedData.size(), uncompressedSize, name.size());
    Put16(out, 0);  // central extra length
    Put16(out, 0);  // comment length
    Put16(out, 0);  // disk number start
    Put16(out, 0);  // internal attributes
    Put32(out, 32); // external attributes
    Put32(out, 0);  // offset of the local header
    PutBytes(out, ToBytes(name));
    const std::size_t centralSize = out.size() - central;

    Put32(out, 0x06054B50); // end signature
    Put16(out, 0);          // this disk
    Put16(out, 0);          // disk of the central directory
    Put16(out, 1);          // entries on this disk
    Put16(out, 1);          // entries in all
    Put32(out, std::uint32_t(centralSize));
    Put32(out, std::uint32_t(central));
    Put16(out, 0); // comment length
    return out;
}

// ---- Raw deflate streams through zlib -----------------------------------

Bytes RawDeflate(const Bytes& input)
{
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    Bytes out(deflateBound(&z, uLong(input.size())));
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = uInt(input.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return out;
}

// Throws when the stream is not a complete raw deflate stream.
Bytes RawInflate(const Bytes& input, std::size_t expectedSize)
{
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        throw std::runtime_error("inflateInit2");
    Bytes out(expectedSize + 1);
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = uInt(input.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int result = inflate(&z, Z_FINISH);
    out.resize(z.total_out);
    inflateEnd(&z);
    if (result != Z_STREAM_END)
        throw std::runtime_error("not a complete deflate stream");
    return out;
}

// What decrypting (and inflating) an entry's data with password gives, or
// nothing when the check byte says the password is wrong.
std::optional<Bytes> OpenEntry(const TPeerEntry& entry, const std::string& password)
{
    if (entry.Data.size() < EncryptionHeaderSize)
        throw std::runtime_error("entry shorter than its encryption header");
    TEncryptionHeader header;
    std::copy_n(entry.Data.begin(), EncryptionHeaderSize, header.begin());
    TZipCrypt crypt;
    if (crypt.CheckDecryptHeader(password, header) != ExpectedCheckByte(entry.Flags, entry.ModDateTime, entry.CRC32))
        return std::nullopt;
    Bytes data(entry.Data.begin() + EncryptionHeaderSize, entry.Data.end());
    crypt.DecryptBuffer(data.data(), std::int64_t(data.size()));
    return entry.Method == 8 ? RawInflate(data, entry.UncompressedSize) : data;
}

// A random source that hands out 0, 1, 2, ... and counts what it was asked for.
struct TCountingSource {
    std::size_t Requested = 0;
    void operator()(std::uint8_t* buffer, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            buffer[i] = std::uint8_t(Requested++);
    }
};

constexpr std::uint32_t SampleCRC = 0xD77F2A25;

// Header bytes 0..9 and SampleCRC's two high bytes, encrypted with "secret".
TEncryptionHeader FixedHeader()
{
    TZipCrypt crypt;
    TCountingSource source;
    return crypt.MakeEncryptionHeader("secret", SampleCRC, std::ref(source));
}

} // namespace

TEST(ExpectedCheckByte, IsTheTimeHighByteWithADataDescriptorElseTheCRCHighByte)
{
    const struct {
        std::uint16_t flags;
        std::uint8_t expected;
    } cases[] = {
        {0x0000, 0xD7}, {0x0001, 0xD7}, {0x0007, 0xD7}, {0x0008, 0x8A}, {0x0009, 0x8A}, {0x0809, 0x8A},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(ExpectedCheckByte(c.flags, 0x5DDD8A5D, 0xD77F2A25), c.expected);
    }
}

TEST(ZipCrypt, DecryptingWhatWasEncryptedGivesThePlainBytes)
{
    const Bytes plain = SampleData();
    const std::string passwords[] = {"", "a", "secret", "p\xE4ss\xFF\x80w\x01rd", std::string(300, 'k')};
    for (const auto& password : passwords) {
        SCOPED_TRACE(password.size());
        TZipCrypt encryptor;
        const TEncryptionHeader header = encryptor.MakeEncryptionHeader(password, CRC32Of(plain));
        Bytes data = plain;
        encryptor.EncryptBuffer(data.data(), std::int64_t(data.size()));
        EXPECT_NE(data, plain);

        TZipCrypt decryptor;
        EXPECT_EQ(decryptor.CheckDecryptHeader(password, header), CRC32Of(plain) >> 24);
        // Piece by piece, as a reader decrypts block after block.
        for (std::size_t done = 0; done < data.size(); done += 777)
            decryptor.DecryptBuffer(data.data() + done, std::int64_t(std::min<std::size_t>(777, data.size() - done)));
        EXPECT_EQ(data, plain);
    }
}

TEST(ZipCrypt, ByteAndBufferRoutinesAgree)
{
    const Bytes plain = ToBytes("The keystream depends on every plain byte before it.");
    TZipCrypt byBuffer;
    TZipCrypt byByte;
    byBuffer.InitKeys("pw");
    byByte.InitKeys("pw");
    Bytes buffer = plain;
    byBuffer.EncryptBuffer(buffer.data(), std::int64_t(buffer.size()));
    for (std::size_t i = 0; i < plain.size(); ++i)
        EXPECT_EQ(byByte.EncryptByte(plain[i]), buffer[i]) << i;
    EXPECT_EQ(byByte.DecryptByte(), byBuffer.DecryptByte());
}

TEST(ZipCrypt, EncryptingFromASourceLeavesItAndMatchesInPlace)
{
    const Bytes plain = SampleData();
    TZipCrypt copying;
    TZipCrypt inPlace;
    copying.InitKeys("secret");
    inPlace.InitKeys("secret");

    const Bytes source = plain;
    Bytes destination(source.size());
    copying.EncryptBuffer(source.data(), destination.data(), std::int64_t(source.size()));
    Bytes buffer = plain;
    inPlace.EncryptBuffer(buffer.data(), std::int64_t(buffer.size()));

    EXPECT_EQ(source, plain);
    EXPECT_EQ(destination, buffer);
}

TEST(ZipCrypt, CountsOfZeroOrLessDoNothing)
{
    std::uint8_t byte = 0x42;
    TZipCrypt crypt;
    crypt.InitKeys("pw");
    const std::uint8_t keystream = crypt.DecryptByte();
    crypt.EncryptBuffer(&byte, 0);
    crypt.EncryptBuffer(&byte, -3);
    crypt.DecryptBuffer(&byte, -1);
    crypt.EncryptBuffer(&byte, &byte, 0);
    EXPECT_EQ(byte, 0x42);
    EXPECT_EQ(crypt.DecryptByte(), keystream);
}

TEST(ZipCrypt, HeaderHoldsTenRandomBytesThenTheCRCsTwoHighBytes)
{
    TZipCrypt crypt;
    TCountingSource source;
    const TEncryptionHeader header = crypt.MakeEncryptionHeader("secret", SampleCRC, std::ref(source));
    EXPECT_EQ(source.Requested, 10u);

    TZipCrypt reader;
    reader.InitKeys("secret");
    TEncryptionHeader plain = header;
    reader.DecryptBuffer(plain.data(), EncryptionHeaderSize);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(plain[i], i);
    EXPECT_EQ(plain[10], 0x7F);
    EXPECT_EQ(plain[11], 0xD7);
    EXPECT_EQ(TZipCrypt().CheckDecryptHeader("secret", header), 0xD7);
    // Both sides' keys continue alike into the data.
    EXPECT_EQ(reader.DecryptByte(), crypt.DecryptByte());
}

TEST(ZipCrypt, HeadersFromTheSystemSourceDiffer)
{
    TZipCrypt crypt;
    const TEncryptionHeader first = crypt.MakeEncryptionHeader("secret", SampleCRC);
    const TEncryptionHeader second = crypt.MakeEncryptionHeader("secret", SampleCRC);
    EXPECT_NE(first, second);
}

TEST(ZipCrypt, WrongPasswordIsToldByTheCheckByte)
{
    const TEncryptionHeader header = FixedHeader();
    TZipCrypt crypt;
    EXPECT_EQ(crypt.CheckDecryptHeader("secret", header), 0xD7);
    EXPECT_NE(crypt.CheckDecryptHeader("Secret", header), 0xD7);
    EXPECT_NE(crypt.CheckDecryptHeader("", header), 0xD7);
}

// About one wrong password in 256 passes the check byte; its data then
// decrypts to garbage that fails the CRC.
TEST(ZipCrypt, WrongPasswordThatPassesTheCheckByteFailsTheCRC)
{
    const Bytes plain = SampleData();
    const std::uint32_t crc = CRC32Of(plain);
    TZipCrypt writer;
    TCountingSource source;
    TPeerEntry entry;
    entry.CRC32 = crc;
    entry.UncompressedSize = std::uint32_t(plain.size());
    const TEncryptionHeader header = writer.MakeEncryptionHeader("secret", crc, std::ref(source));
    Bytes data = plain;
    writer.EncryptBuffer(data.data(), std::int64_t(data.size()));
    entry.Data.assign(header.begin(), header.end());
    PutBytes(entry.Data, data);

    // The first of "wrong0", "wrong1", ... that the check byte lets through.
    std::string falselyAccepted;
    for (int i = 0; falselyAccepted.empty() && i < 10000; ++i) {
        const std::string candidate = "wrong" + std::to_string(i);
        if (TZipCrypt().CheckDecryptHeader(candidate, header) == crc >> 24)
            falselyAccepted = candidate;
    }
    ASSERT_FALSE(falselyAccepted.empty());
    const auto opened = OpenEntry(entry, falselyAccepted);
    ASSERT_TRUE(opened.has_value());
    EXPECT_NE(CRC32Of(*opened), crc);
    EXPECT_EQ(OpenEntry(entry, "secret"), plain);
}

// Info-ZIP sets flag bit 3 on every encrypted entry and checks the time's high
// byte; 7-Zip does so when it streams and uses the CRC's high byte otherwise.
TEST(ZipCrypt, OpensWhatThePeersEncrypt)
{
    TempDir dir;
    const Bytes plain = SampleData();
    dir.Write("file.txt", ToString(plain));
    const std::string in = "cd " + ShellQuote(dir.Folder()) + " && ";
    const struct {
        const char* what;
        std::string command;
        std::uint16_t method;
        bool dataDescriptor;
    } cases[] = {
        {"zip stored", in + "zip -q -P secret -0 out.zip file.txt", 0, true},
        {"zip deflated", in + "zip -q -P secret out.zip file.txt", 8, true},
        {"zip from stdin to stdout", in + "zip -q -P secret - - < file.txt > out.zip", 8, true},
        {"zip file to stdout", in + "zip -q -P secret - file.txt > out.zip", 8, true},
        {"7-Zip file", in + "7zz a -bd -tzip -psecret -mem=ZipCrypto out.zip file.txt > /dev/null", 8, false},
        {"7-Zip from stdin", in + "7zz a -bd -tzip -psecret -mem=ZipCrypto -sifile.txt out.zip < file.txt > /dev/null", 8, true},
        {"7-Zip stored", in + "7zz a -bd -tzip -psecret -mem=ZipCrypto -mx0 out.zip file.txt > /dev/null", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir.File("out.zip"));
        ASSERT_EQ(RunCommand(c.command).ExitCode, 0);
        const TPeerEntry entry = ReadOnlyEntry(ReadFileBytes(dir.File("out.zip")));
        EXPECT_EQ(entry.Flags & 0x0009, c.dataDescriptor ? 0x0009 : 0x0001);
        EXPECT_EQ(entry.Method, c.method);
        EXPECT_EQ(entry.CRC32, CRC32Of(plain));

        EXPECT_EQ(OpenEntry(entry, "secret"), plain);
        // A wrong password fails the check byte, or (about 1 in 256) the data after it.
        for (const std::string wrong : {"Secret", "secret2", "pw", ""}) {
            SCOPED_TRACE(wrong);
            try {
                const auto opened = OpenEntry(entry, wrong);
                EXPECT_TRUE(!opened || CRC32Of(*opened) != entry.CRC32);
            } catch (const std::runtime_error&) {
                // garbage that is no deflate stream
            }
        }
    }
}

// Our header and data in an archive made by hand, read by the peers.
TEST(ZipCrypt, TheWritersEntriesCarryTheCRCsTwoHighBytesInTheirHeader)
{
    TempDir dir;
    const Bytes plain = SampleData();
    for (const int level : {0, 9}) {
        SCOPED_TRACE(level);
        TZipWriter writer;
        writer.DoProcessMessages = false;
        writer.PackLevel = level;
        writer.Password = "secret";
        const std::string archive = dir.File("level" + std::to_string(level) + ".zip");
        writer.SetZipName(archive);
        TMemoryStream source(plain);
        ASSERT_EQ(writer.AddStreamEntry(&source, "sample.txt"), 1);

        const TPeerEntry entry = ReadOnlyEntry(ReadFileBytes(archive));
        ASSERT_GE(entry.Data.size(), EncryptionHeaderSize);
        TZipCrypt crypt;
        crypt.InitKeys("secret");
        Bytes header(entry.Data.begin(), entry.Data.begin() + EncryptionHeaderSize);
        crypt.DecryptBuffer(header.data(), EncryptionHeaderSize);
        EXPECT_EQ(header[10], std::uint8_t(entry.CRC32 >> 16));
        EXPECT_EQ(header[11], std::uint8_t(entry.CRC32 >> 24));
    }
}

TEST(ZipCrypt, PeersOpenWhatWeEncrypt)
{
    TempDir dir;
    const Bytes plain = SampleData();
    const std::uint32_t crc = CRC32Of(plain);
    const std::string password = "se cr'et";
    const std::string highBytePassword = "p\xE4ss\xFF\x80";
    const struct {
        const char* what;
        std::uint16_t method;
    } methods[] = {{"stored", 0}, {"deflated", 8}};
    for (const auto& m : methods) {
        SCOPED_TRACE(m.what);
        const Bytes data = m.method == 8 ? RawDeflate(plain) : plain;
        for (const std::string& pw : {password, highBytePassword}) {
            TZipCrypt crypt;
            const TEncryptionHeader header = crypt.MakeEncryptionHeader(pw, crc);
            Bytes payload(header.begin(), header.end());
            payload.resize(EncryptionHeaderSize + data.size());
            crypt.EncryptBuffer(data.data(), payload.data() + EncryptionHeaderSize, std::int64_t(data.size()));
            const std::string archive = dir.Write(pw == password ? "ascii.zip" : "high.zip",
                ToString(OneEntryArchive("dir/name.txt", m.method, crc, payload, plain.size())));
            std::string hex;
            for (const char c : pw)
                hex += "0123456789abcdef"[std::uint8_t(c) >> 4], hex += "0123456789abcdef"[c & 15];
            const auto python = RunCommand("python3 -c 'import sys, zipfile; sys.stdout.buffer.write("
                                           "zipfile.ZipFile(sys.argv[1]).read(\"dir/name.txt\", pwd=bytes.fromhex(sys.argv[2])))' "
                + ShellQuote(archive) + " " + hex);
            EXPECT_EQ(python.ExitCode, 0);
            EXPECT_EQ(python.Output, ToString(plain));
        }
        const std::string archive = dir.File("ascii.zip");
        const auto unzip = RunCommand("unzip -P " + ShellQuote(password) + " -p " + ShellQuote(archive));
        EXPECT_EQ(unzip.ExitCode, 0);
        EXPECT_EQ(unzip.Output, ToString(plain));
        const auto sevenZip = RunCommand("7zz x -so -p" + ShellQuote(password) + " " + ShellQuote(archive) + " 2>/dev/null");
        EXPECT_EQ(sevenZip.ExitCode, 0);
        EXPECT_EQ(sevenZip.Output, ToString(plain));
        const auto wrong = RunCommand("unzip -P wrong -t " + ShellQuote(archive) + " > /dev/null 2>&1");
        EXPECT_NE(wrong.ExitCode, 0);
    }
}
