// Archives written by early MS-DOS zip programs: every entry, whatever its
// method (stored, shrunk, reduced with factors 1 to 4, imploded), extracts
// with a matching CRC-32, and the shrunk and imploded ones byte for byte as
// Info-ZIP unzip extracts them. Cut and bit-flipped entries fail cleanly.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Exceptions.h"
#include "ExtractSupport.h"
#include "LittleEndian.h"
#include "RunCommand.h"
#include "Stream.h"
#include "ZipExceptions.h"
#include "ZipReader.h"
#include "extract/EntryDecompressor.h"

namespace {

std::filesystem::path LegacyFolder()
{
    const std::filesystem::path source = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    for (const auto& candidate : {source.parent_path() / "shared/testdata/legacy",
                                  std::filesystem::path("/work/shared/testdata/legacy")})
        if (std::filesystem::is_directory(candidate))
            return candidate;
    return {};
}

std::vector<std::filesystem::path> LegacyArchives()
{
    std::vector<std::filesystem::path> archives;
    const std::filesystem::path folder = LegacyFolder();
    if (folder.empty())
        return archives;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        const std::string extension = item.path().extension().string();
        if (extension == ".ZIP" || extension == ".zip")
            archives.push_back(item.path());
    }
    std::sort(archives.begin(), archives.end());
    return archives;
}

std::size_t LE16At(const std::string& bytes, std::size_t offset)
{
    return GetU16(reinterpret_cast<const std::uint8_t*>(bytes.data() + offset));
}

std::uint32_t Crc32Of(std::string_view bytes)
{
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string StreamBytes(TMemoryStream& stream)
{
    std::string bytes(static_cast<std::size_t>(stream.Size()), '\0');
    stream.Seek(0, soFromBeginning);
    stream.Read(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    return bytes;
}

// One entry's compressed bytes, found through its local header.
std::vector<std::uint8_t> CompressedBytes(const std::string& archive, const TZipHeaderInfo& entry)
{
    const std::string file = ReadFileBytes(archive);
    const std::size_t local = static_cast<std::size_t>(entry.LocalHeaderOffset);
    const std::size_t nameLength = LE16At(file, local + 26);
    const std::size_t extraLength = LE16At(file, local + 28);
    const std::size_t start = local + 30 + nameLength + extraLength;
    return {file.begin() + static_cast<std::ptrdiff_t>(start),
            file.begin() + static_cast<std::ptrdiff_t>(start + entry.CompressedSize)};
}

TEST(ExtractLegacy, EveryEntryOfEveryMethodExtractsWithItsCRC)
{
    const std::vector<std::filesystem::path> archives = LegacyArchives();
    if (archives.empty())
        GTEST_SKIP() << "no legacy archives";
    std::set<int> methods;
    for (const auto& archive : archives) {
        SCOPED_TRACE(archive.string());
        TZipReader reader;
        reader.DoProcessMessages = false;
        reader.SetZipName(archive.string());
        reader.ReadZip();
        TAnsweringUI ui(TMsgResult::Ok);
        TZipUIScope scope(ui);
        for (int i = 0; i < reader.GetCount(); ++i) {
            const TZipHeaderInfo& entry = reader.GetEntry(i);
            SCOPED_TRACE(entry.FullName());
            TMemoryStream stream;
            EXPECT_EQ(reader.UnZipToStreamByIndex(&stream, i), 1);
            const std::string bytes = StreamBytes(stream);
            EXPECT_EQ(bytes.size(), entry.UncompressedSize);
            EXPECT_EQ(Crc32Of(bytes), entry.CRC32);
            methods.insert(entry.CompressionMethod);
        }
        EXPECT_TRUE(ui.Boxes.empty());
    }
    EXPECT_EQ(methods, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(ExtractLegacy, ShrunkAndImplodedEntriesMatchInfoZip)
{
    const std::filesystem::path folder = LegacyFolder();
    if (folder.empty() || RunCommand("unzip -v >/dev/null 2>&1").ExitCode != 0)
        GTEST_SKIP() << "no legacy archives or no unzip";
    for (const char* name : {"PKZ110ES.ZIP", "PKZ110EI.ZIP", "shrink.zip", "implode.zip"}) {
        const std::string archive = (folder / name).string();
        SCOPED_TRACE(archive);
        TZipReader reader;
        reader.DoProcessMessages = false;
        reader.SetZipName(archive);
        reader.ReadZip();
        for (int i = 0; i < reader.GetCount(); ++i) {
            const TZipHeaderInfo& entry = reader.GetEntry(i);
            SCOPED_TRACE(entry.FullName());
            TMemoryStream stream;
            EXPECT_EQ(reader.UnZipToStreamByIndex(&stream, i), 1);
            const std::string peer =
                RunChecked("unzip -p " + ShellQuote(archive) + " " + ShellQuote(entry.FullName()));
            EXPECT_TRUE(StreamBytes(stream) == peer);
        }
    }
}

// What one damaged stream came to.
enum class TDamageOutcome { Refused, TooLong, WrongBytes, SameBytes };

TDamageOutcome DecompressDamaged(const TZipHeaderInfo& entry, std::span<const std::uint8_t> input,
                                 std::uint32_t crc)
{
    TEntryDecompressor decompressor;
    std::vector<std::uint8_t> output;
    TMemoryUnzipSource source(input);
    TMemoryUnzipSink sink(output, entry.UncompressedSize);
    TUnzipIO io(source, sink);
    try {
        if (decompressor.Decompress(entry, io) == TDecompressResult::DataError)
            return TDamageOutcome::Refused;
    } catch (const EWriteError&) {
        return TDamageOutcome::TooLong;
    }
    const auto bytes = std::string_view(reinterpret_cast<const char*>(output.data()), output.size());
    return output.size() == entry.UncompressedSize && Crc32Of(bytes) == crc ? TDamageOutcome::SameBytes
                                                                           : TDamageOutcome::WrongBytes;
}

// Every shrunk, reduced and imploded entry up to 32 KB of data, cut at many
// points and with one bit flipped at many places: each decompression stays
// in bounds (the sanitizers watch) and ends; a cut one never passes for the
// original, and flips pass only where they hit bits no code uses.
TEST(ExtractLegacy, CutAndFlippedEntriesFailCleanly)
{
    const std::vector<std::filesystem::path> archives = LegacyArchives();
    if (archives.empty())
        GTEST_SKIP() << "no legacy archives";
    int flips = 0;
    int harmlessFlips = 0;
    for (const auto& archive : archives) {
        TZipReader reader;
        reader.SetZipName(archive.string());
        reader.ReadZip();
        for (int i = 0; i < reader.GetCount(); ++i) {
            const TZipHeaderInfo& entry = reader.GetEntry(i);
            if (entry.CompressionMethod == 0 || entry.CompressedSize > 32768)
                continue;
            SCOPED_TRACE(archive.string() + " " + entry.FullName());
            const std::vector<std::uint8_t> data = CompressedBytes(archive.string(), entry);
            ASSERT_EQ(DecompressDamaged(entry, data, entry.CRC32), TDamageOutcome::SameBytes);
            const std::size_t step = std::max<std::size_t>(1, data.size() / 16);
            for (std::size_t cut = 0; cut < data.size(); cut += step) {
                SCOPED_TRACE(cut);
                EXPECT_NE(DecompressDamaged(entry, std::span(data).first(cut), entry.CRC32),
                          TDamageOutcome::SameBytes);
            }
            for (std::size_t at = 0; at < data.size(); at += step) {
                std::vector<std::uint8_t> flipped = data;
                flipped[at] ^= static_cast<std::uint8_t>(1u << (at % 8));
                ++flips;
                if (DecompressDamaged(entry, flipped, entry.CRC32) == TDamageOutcome::SameBytes)
                    ++harmlessFlips;
            }
        }
    }
    EXPECT_GT(flips, 500);
    EXPECT_LT(harmlessFlips, flips / 20);
}

// Every legacy archive, cut short or with one bit flipped at a quarter, half
// and three quarters of its length, read and extracted entry by entry: the
// archive is refused, or each entry extracts with its CRC-32 or fails with
// nothing written or with one of the engine's exceptions, and at least one
// fails; nothing crashes (the sanitizers watch) and nothing hangs.
TEST(ExtractLegacy, CutAndFlippedArchivesFailCleanly)
{
    const std::vector<std::filesystem::path> archives = LegacyArchives();
    if (archives.empty())
        GTEST_SKIP() << "no legacy archives";
    TempDir dir;
    for (const auto& path : archives) {
        const std::string original = ReadFileBytes(path.string());
        std::vector<std::pair<std::string, std::string>> variants;
        variants.emplace_back("cut at half", original.substr(0, original.size() / 2));
        for (const std::size_t quarter : {1, 2, 3}) {
            std::string flipped = original;
            const std::size_t at = original.size() * quarter / 4;
            flipped[at] = static_cast<char>(flipped[at] ^ (1 << quarter));
            variants.emplace_back("a bit flipped at " + std::to_string(at), flipped);
        }
        for (const auto& [what, bytes] : variants) {
            SCOPED_TRACE(path.filename().string() + ", " + what);
            TZipReader reader;
            reader.DoProcessMessages = false;
            reader.SetZipName(dir.Write("variant.zip", bytes));
            TAnsweringUI ui(TMsgResult::Ok);
            TZipUIScope scope(ui);
            try {
                reader.ReadZip();
            } catch (const Exception&) {
                continue;
            }
            int failures = 0;
            for (int i = 0; i < reader.GetCount(); ++i) {
                TMemoryStream stream;
                int extracted = 0;
                try {
                    extracted = reader.UnZipToStreamByIndex(&stream, i);
                } catch (const Exception&) {
                }
                const std::string extractedBytes = StreamBytes(stream);
                if (extracted == 1)
                    EXPECT_EQ(Crc32Of(extractedBytes), reader.GetEntry(i).CRC32);
                else
                    EXPECT_TRUE(extractedBytes.empty());
                failures += extracted == 1 ? 0 : 1;
            }
            EXPECT_GT(failures, 0);
        }
    }
}

// Patches a field in the local header and in the central header of the
// first (only) entry of an archive.
void PatchBothHeaders(std::string& bytes, std::size_t localOffset, std::size_t centralOffset, std::uint32_t value,
                      unsigned size)
{
    const std::size_t central = bytes.find("PK\x01\x02");
    for (unsigned i = 0; i < size; ++i) {
        bytes[localOffset + i] = static_cast<char>(value >> (8 * i));
        bytes[central + centralOffset + i] = static_cast<char>(value >> (8 * i));
    }
}

// Through the reader: a shrunk, reduced or imploded entry with a damaged
// byte, or whose data end early, extracts to nothing (its CRC check fails);
// one whose method is unknown (7, tokenized, or 9) is skipped with the
// message box, never decoded as another method.
TEST(ExtractLegacy, DamagedShortOrUnknownEntriesExtractNothing)
{
    const std::filesystem::path folder = LegacyFolder();
    if (folder.empty())
        GTEST_SKIP() << "no legacy archives";
    TempDir dir;
    for (const char* name : {"shrink.zip", "reduce.zip", "implode.zip"}) {
        const std::string original = ReadFileBytes((folder / name).string());
        const std::size_t dataStart = 30 + LE16At(original, 26) + LE16At(original, 28);
        const std::uint32_t compressedSize = GetU32(reinterpret_cast<const std::uint8_t*>(original.data() + 18));
        const struct {
            const char* what;
            std::function<void(std::string&)> damage;
            bool unknownMethod;
        } damages[] = {
            {"a flipped byte", [&](std::string& b) { b[dataStart + 300] = static_cast<char>(b[dataStart + 300] ^ 0x5a); },
             false},
            {"data cut to half", [&](std::string& b) { PatchBothHeaders(b, 18, 20, compressedSize / 2, 4); }, false},
            {"method 7", [](std::string& b) { PatchBothHeaders(b, 8, 10, 7, 2); }, true},
            {"method 9", [](std::string& b) { PatchBothHeaders(b, 8, 10, 9, 2); }, true},
        };
        for (const auto& damage : damages) {
            SCOPED_TRACE(std::string(name) + ": " + damage.what);
            std::string bytes = original;
            damage.damage(bytes);
            const std::string archive = dir.Write("damaged.zip", bytes);
            TZipReader reader;
            reader.DoProcessMessages = false;
            reader.SetZipName(archive);
            reader.ReadZip();
            TAnsweringUI ui(TMsgResult::Ok);
            TZipUIScope scope(ui);
            int badCRCs = 0;
            reader.OnBadCRC = [&](TZipReader&, std::uint32_t, std::uint32_t, int) { ++badCRCs; };
            TMemoryStream stream;
            EXPECT_EQ(reader.UnZipToStreamByIndex(&stream, 0), 0);
            EXPECT_EQ(stream.Size(), 0);
            if (damage.unknownMethod) {
                EXPECT_EQ(ui.Boxes, std::vector<std::string>{"Zip Error: Unknown Compression Method"});
                EXPECT_EQ(badCRCs, 0);
            } else {
                EXPECT_TRUE(ui.Boxes.empty());
                EXPECT_EQ(badCRCs, 1);
            }
        }
    }
}

} // namespace
