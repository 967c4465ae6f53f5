// The ".zfc" side file of a block set: parsed here by a reader of its own
// that knows only the zip application note's record layouts, compared with
// the set's real directory, and used by the engine to list and extract a set
// from its first block.
#include <gtest/gtest.h>

#include <filesystem>

#include "RunCommand.h"
#include "SampleData.h"
#include "TempDir.h"
#include "VolumeTestSupport.h"
#include "ZipUI.h"

namespace {

std::uint32_t U16(const std::string& b, std::size_t at)
{
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}

std::uint32_t U32(const std::string& b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

struct TParsedHeader {
    std::string Name;
    std::uint32_t Crc, CompressedSize, DiskStart, LocalOffset;
};

struct TParsedSideFile {
    std::vector<TParsedHeader> Headers;
    std::uint32_t ThisDisk, CentralDisk, EntriesThisDisk, TotalEntries, CentralSize, CentralOffset;
};

// Central headers (signature 0x02014b50, 46 bytes, name, extra, comment)
// back to back, then the end record (0x06054b50, 22 bytes, comment) that
// ends the file. Any other byte fails the parse.
TParsedSideFile ParseSideFile(const std::string& bytes)
{
    TParsedSideFile file{};
    std::size_t at = 0;
    while (at + 46 <= bytes.size() && U32(bytes, at) == 0x02014b50) {
        const std::size_t nameLength = U16(bytes, at + 28);
        const std::size_t extraLength = U16(bytes, at + 30);
        const std::size_t commentLength = U16(bytes, at + 32);
        file.Headers.push_back(TParsedHeader{bytes.substr(at + 46, nameLength), U32(bytes, at + 16),
                                             U32(bytes, at + 20), U16(bytes, at + 34), U32(bytes, at + 42)});
        at += 46 + nameLength + extraLength + commentLength;
    }
    if (at + 22 > bytes.size() || U32(bytes, at) != 0x06054b50)
        throw std::runtime_error("no end record where the central headers end");
    if (at + 22 + U16(bytes, at + 20) != bytes.size())
        throw std::runtime_error("bytes after the end record");
    file.ThisDisk = U16(bytes, at + 4);
    file.CentralDisk = U16(bytes, at + 6);
    file.EntriesThisDisk = U16(bytes, at + 8);
    file.TotalEntries = U16(bytes, at + 10);
    file.CentralSize = U32(bytes, at + 12);
    file.CentralOffset = U32(bytes, at + 16);
    return file;
}

class TRecordingUI : public TZipUI {
public:
    TMsgResult MessageBox(const std::string& text, const std::string&, TMsgButtons) override
    {
        Messages.push_back(text);
        return TMsgResult::Ok;
    }
    std::vector<std::string> Messages;
};

std::vector<TVolumeEntry> SampleEntries()
{
    return {{"a.bin", RandomByteString(500, 1)},
            {"caption.txt", std::string(300, 'c')},
            {"b.bin", RandomByteString(700, 2)}};
}

void WriteSetWithSideFile(TZipWriter& writer, const TempDir& dir)
{
    UseBlocks(writer, 400, 300);
    writer.MultiZipInfo().SaveZipInfoOnFirstDisk = true;
    writer.SetZipName(dir.File("backup.zip"));
    WriteEntries(writer, SampleEntries());
}

} // namespace

TEST(ZipConfigFile, HoldsTheSetsCentralHeadersAndEndRecordWellFormed)
{
    TempDir dir;
    TZipWriter writer;
    WriteSetWithSideFile(writer, dir);
    ASSERT_GT(writer.NumDisks(), 2);
    const TParsedSideFile side = ParseSideFile(ReadFileBytes(dir.File("backup.zfc")));

    TZipReader reader;
    reader.SetZipName(writer.GetZipName());
    reader.ReadZip();
    ASSERT_EQ(side.Headers.size(), static_cast<std::size_t>(reader.GetCount()));
    for (int i = 0; i < reader.GetCount(); ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        SCOPED_TRACE(entry.FullName());
        EXPECT_EQ(side.Headers[i].Name, entry.FullName());
        EXPECT_EQ(side.Headers[i].Crc, entry.CRC32);
        EXPECT_EQ(side.Headers[i].CompressedSize, entry.CompressedSize);
        EXPECT_EQ(side.Headers[i].DiskStart, entry.DiskNumberStart);
        EXPECT_EQ(side.Headers[i].LocalOffset, entry.LocalHeaderOffset);
    }
    const TEndCentral& end = reader.EndRecord();
    EXPECT_EQ(side.ThisDisk, end.ThisDisk);
    EXPECT_EQ(side.CentralDisk, end.CentralDirDisk);
    EXPECT_EQ(side.CentralOffset, end.CentralOffset);
    EXPECT_EQ(side.CentralSize, end.CentralSize);
    EXPECT_EQ(side.TotalEntries, 3u);
    EXPECT_EQ(side.EntriesThisDisk, end.EntriesThisDisk);
}

TEST(ZipConfigFile, ASetReadsFromItsFirstBlockThroughTheSideFile)
{
    TempDir dir;
    TZipWriter writer;
    WriteSetWithSideFile(writer, dir);
    EXPECT_EQ(ReadEntries(dir.File("backup.001")), SampleEntries());
}

TEST(ZipConfigFile, ASideFileStatingExtraLengthsWithoutTheirBytesStillReads)
{
    TempDir dir;
    TZipWriter writer;
    WriteSetWithSideFile(writer, dir);
    // Each header claims 4 extra bytes that are not there, as older side
    // files did.
    std::string bytes = ReadFileBytes(dir.File("backup.zfc"));
    for (std::size_t at = 0; (at = bytes.find("PK\x01\x02", at)) != std::string::npos; at += 4)
        bytes[at + 30] = 4;
    dir.Write("backup.zfc", bytes);
    EXPECT_EQ(ReadEntries(dir.File("backup.001")), SampleEntries());
}

TEST(ZipConfigFile, NoSideFileForOneBlockAndTheReserveDoesNotGrow)
{
    TempDir dir;
    TZipWriter writer;
    UseBlocks(writer, 100000, 100000);
    writer.MultiZipInfo().SaveZipInfoOnFirstDisk = true;
    writer.MultiZipInfo().SaveOnFirstDisk = 10;
    for (int build = 0; build < 2; ++build) {
        writer.SetZipName(dir.File("backup.zip"));
        WriteEntries(writer, SampleEntries());
    }
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"backup.zip"});
    EXPECT_EQ(writer.MultiZipInfo().SaveOnFirstDisk, 10);
}

TEST(ZipConfigFile, ASideFileThatCannotBeCreatedIsReportedAndTheSetStands)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("backup.zfc"));
    TRecordingUI ui;
    const TZipUIScope scope(ui);
    TZipWriter writer;
    WriteSetWithSideFile(writer, dir);
    EXPECT_EQ(ui.Messages, std::vector<std::string>{"Unable to create Zip Configuration File to disk"});
    EXPECT_EQ(ReadEntries(writer.GetZipName()), SampleEntries());
}

TEST(ZipConfigFile, TheDriverWritesOne)
{
    TempDir dir;
    dir.Write("src/a.bin", RandomByteString(5000, 3));
    RunChecked("cd " + ShellQuote(dir.Folder()) + " && " + ShellQuote(ZIPDRIVER_PATH) +
               " create set.zip -l 0 --blocks 2000,2000 --zfc -r src");
    const TParsedSideFile side = ParseSideFile(ReadFileBytes(dir.File("set.zfc")));
    ASSERT_EQ(side.Headers.size(), 1u);
    EXPECT_EQ(side.Headers[0].Name, "src/a.bin");
    EXPECT_EQ(side.ThisDisk, 2u);
}
