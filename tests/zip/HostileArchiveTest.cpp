// Archives made to harm whoever extracts them: a zip bomb whose entries
// overlap one another, and a central directory that names one local header
// many times. Each is listed, told about in a message box, and extracts to
// nothing harmful.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "ExtractSupport.h"
#include "LittleEndian.h"
#include "RunCommand.h"
#include "TempDir.h"
#include "ZipReader.h"
#include "ZipUI.h"
#include "directory/EntryOverlap.h"

namespace {

struct TBombEntry {
    std::string Name;
    std::uint32_t Crc = 0;
    std::uint32_t CompressedSize = 0;
    std::uint32_t UncompressedSize = 0;
    std::uint32_t Offset = 0;
};

std::string LocalHeader(const TBombEntry& e)
{
    std::string h;
    AppendU32(h, 0x04034B50);
    AppendU16(h, 20);         // version needed
    AppendU16(h, 0);          // flags
    AppendU16(h, 8);          // method: deflated
    AppendU32(h, 0x5A210000); // DOS date and time
    AppendU32(h, e.Crc);
    AppendU32(h, e.CompressedSize);
    AppendU32(h, e.UncompressedSize);
    AppendU16(h, static_cast<std::uint16_t>(e.Name.size()));
    AppendU16(h, 0); // extra length
    return h + e.Name;
}

std::string CentralHeader(const TBombEntry& e)
{
    std::string h;
    AppendU32(h, 0x02014B50);
    AppendU16(h, 20); // made by: MS-DOS
    AppendU16(h, 20);
    AppendU16(h, 0);
    AppendU16(h, 8);
    AppendU32(h, 0x5A210000);
    AppendU32(h, e.Crc);
    AppendU32(h, e.CompressedSize);
    AppendU32(h, e.UncompressedSize);
    AppendU16(h, static_cast<std::uint16_t>(e.Name.size()));
    AppendU16(h, 0);  // extra length
    AppendU16(h, 0);  // comment length
    AppendU16(h, 0);  // disk number start
    AppendU16(h, 0);  // internal attributes
    AppendU32(h, 32); // external attributes
    AppendU32(h, e.Offset);
    return h + e.Name;
}

std::string EndRecord(std::size_t entries, std::size_t centralSize, std::size_t centralOffset)
{
    std::string end;
    AppendU32(end, 0x06054B50);
    AppendU16(end, 0);
    AppendU16(end, 0);
    AppendU16(end, static_cast<std::uint16_t>(entries));
    AppendU16(end, static_cast<std::uint16_t>(entries));
    AppendU32(end, static_cast<std::uint32_t>(centralSize));
    AppendU32(end, static_cast<std::uint32_t>(centralOffset));
    AppendU16(end, 0);
    return end;
}

// A deflate stored block that is not the last: its header makes the next
// length bytes pass through to the output as they are.
std::string StoredBlockHeader(std::size_t length)
{
    std::string h(1, '\0');
    AppendU16(h, static_cast<std::uint16_t>(length));
    AppendU16(h, static_cast<std::uint16_t>(~length));
    return h;
}

// The overlapping-kernel zip bomb: one small deflated kernel that inflates
// to kernelSize bytes, shared by every entry. The data of each entry quotes
// the next entry's local header in a stored block and runs on into that
// entry's data, so each entry inflates to the kernel's output and all the
// headers after its own. Every size and CRC is right.
std::string OverlappingBomb(int count, std::uint32_t kernelSize)
{
    const std::string kernel = RawDeflate(std::string(kernelSize, 'a'), 9);
    std::vector<TBombEntry> entries(static_cast<std::size_t>(count));
    std::string data = kernel; // the data of the entry being made, then of the one before
    for (int i = count - 1; i >= 0; --i) {
        TBombEntry& e = entries[static_cast<std::size_t>(i)];
        e.Name = "f" + std::to_string(i);
        if (i == count - 1) {
            e.UncompressedSize = kernelSize;
            e.Crc = TestCrc(std::string(kernelSize, 'a'));
        } else {
            const TBombEntry& next = entries[static_cast<std::size_t>(i) + 1];
            const std::string quoted = LocalHeader(next);
            e.UncompressedSize = static_cast<std::uint32_t>(quoted.size()) + next.UncompressedSize;
            e.Crc = static_cast<std::uint32_t>(crc32_combine(TestCrc(quoted), next.Crc, next.UncompressedSize));
            data = StoredBlockHeader(quoted.size()) + quoted + data;
        }
        e.CompressedSize = static_cast<std::uint32_t>(data.size());
    }
    std::string archive = LocalHeader(entries[0]) + data;
    std::uint32_t offset = 0;
    for (TBombEntry& e : entries) {
        e.Offset = offset;
        offset += static_cast<std::uint32_t>(LocalHeader(e).size() + StoredBlockHeader(0).size());
    }
    std::string central;
    for (const TBombEntry& e : entries)
        central += CentralHeader(e);
    return archive + central + EndRecord(entries.size(), central.size(), archive.size());
}

// A stored archive of one entry whose central directory names its local
// header times times.
std::string OneHeaderNamedMany(int times)
{
    const std::string contents = "the only data";
    TBombEntry e{"shared.txt", TestCrc(contents), static_cast<std::uint32_t>(contents.size()),
                 static_cast<std::uint32_t>(contents.size()), 0};
    std::string local = LocalHeader(e);
    PutU16(reinterpret_cast<std::uint8_t*>(local.data()) + 8, 0); // stored
    std::string header = CentralHeader(e);
    PutU16(reinterpret_cast<std::uint8_t*>(header.data()) + 10, 0);
    std::string central;
    for (int i = 0; i < times; ++i)
        central += header;
    const std::string archive = local + contents;
    return archive + central + EndRecord(static_cast<std::size_t>(times), central.size(), archive.size());
}

std::uintmax_t BytesBelow(const std::string& folder)
{
    std::uintmax_t total = 0;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder))
        if (item.is_regular_file())
            total += item.file_size();
    return total;
}

} // namespace

TEST(HostileArchive, AnOverlappingZipBombIsListedButNoneOfItsEntriesExtracts)
{
    constexpr int Count = 200;
    TempDir dir;
    const std::string bomb = dir.Write("bomb.zip", OverlappingBomb(Count, 5'000'000));
    ASSERT_LT(std::filesystem::file_size(bomb), 25'000u);
    // Info-ZIP refuses it as we do; Python's zipfile would extract it whole.
    const TCommandResult unzip = RunCommand("unzip -t " + ShellQuote(bomb) + " 2>&1");
    EXPECT_NE(unzip.ExitCode, 0);
    EXPECT_NE(unzip.Output.find("overlapped components"), std::string::npos) << unzip.Output;

    TZipReader reader;
    SetUpExtraction(reader, bomb, dir.File("dest"));
    TAnsweringUI ui(TMsgResult::Ok);
    TZipUIScope scope(ui);
    std::vector<std::string> skipped;
    reader.OnSkippingFile = [&](TZipReader& r, TSkipReason reason, const std::string& name, int index, bool&) {
        EXPECT_EQ(reason, srCannotCreateOutput);
        EXPECT_EQ(r.GetEntry(index).DamageReason(),
                  "the entry overlaps another entry of the archive (possible zip bomb)");
        skipped.push_back(name);
    };
    reader.ReadZip();
    ASSERT_EQ(reader.GetCount(), Count);
    std::uint64_t total = 0;
    for (int i = 0; i < Count; ++i)
        total += reader.GetEntry(i).UncompressedSize;
    EXPECT_GT(total, 1'000'000'000u);
    EXPECT_EQ(ui.Boxes, std::vector<std::string>{
                            "Zip Error: 200 entries of this archive overlap one another and will not be extracted "
                            "(possible zip bomb)"});
    EXPECT_EQ(reader.UnZipToDestDir(), 0);
    EXPECT_EQ(skipped.size(), static_cast<std::size_t>(Count));
    EXPECT_EQ(BytesBelow(dir.File("dest")), 0u);
}

TEST(HostileArchive, ALocalHeaderNamedManyTimesIsListedOnceAndToldAbout)
{
    TempDir dir;
    const std::string archive = dir.Write("many.zip", OneHeaderNamedMany(1000));
    TZipReader reader;
    SetUpExtraction(reader, archive, dir.File("dest"));
    TAnsweringUI ui(TMsgResult::Ok);
    TZipUIScope scope(ui);
    reader.ReadZip();
    ASSERT_EQ(reader.GetCount(), 1);
    EXPECT_EQ(reader.GetEntry(0).FullName(), "shared.txt");
    EXPECT_EQ(ui.Boxes, std::vector<std::string>{"Zip Error: The central directory names the local header of "
                                                 "shared.txt more than once; each entry is listed once"});
    EXPECT_EQ(reader.UnZipToDestDir(), 1);
    EXPECT_EQ(ReadFileBytes(dir.File("dest/shared.txt")), "the only data");
}

TEST(HostileArchive, ACentralHeaderNamingAnotherEntrysLocalHeaderGivesNoEntryAnotherName)
{
    TempDir dir;
    std::string bytes = BuildStoredArchive({{"a.txt", "first"}, {"b.txt", "second"}, {"c.txt", "third"}});
    // b.txt's central header names a.txt's local header.
    const std::size_t secondCentral = bytes.find("PK\x01\x02", bytes.find("PK\x01\x02") + 4);
    PutU32(reinterpret_cast<std::uint8_t*>(bytes.data()) + secondCentral + 42, 0);
    const std::string archive = dir.Write("named-twice.zip", bytes);
    TZipReader reader;
    SetUpExtraction(reader, archive, dir.File("dest"));
    TAnsweringUI ui(TMsgResult::Ok);
    TZipUIScope scope(ui);
    reader.ReadZip();
    ASSERT_EQ(reader.GetCount(), 3);
    EXPECT_EQ(reader.GetEntry(0).FullName(), "a.txt");
    EXPECT_EQ(reader.GetEntry(1).FullName(), "b.txt");
    EXPECT_EQ(reader.GetEntry(2).FullName(), "c.txt");
    EXPECT_EQ(ui.Boxes, std::vector<std::string>{"Zip Error: The central directory names the local header of "
                                                 "a.txt more than once; each entry is listed once"});
    EXPECT_EQ(reader.UnZipToDestDir(), 3);
    EXPECT_EQ(ReadFileBytes(dir.File("dest/a.txt")), "first");
    EXPECT_EQ(ReadFileBytes(dir.File("dest/b.txt")), "second");
    EXPECT_EQ(ReadFileBytes(dir.File("dest/c.txt")), "third");
}

TEST(HostileArchive, EntriesOverlapWhenOneBeginsBeforeAnotherEnds)
{
    // Each entry: volume, local header offset, compressed size; every name
    // is one byte, so an entry's stored bytes take 31 + its size.
    struct TSpan {
        std::uint16_t disk;
        std::uint64_t offset;
        std::uint64_t size;
    };
    struct Case {
        const char* name;
        std::vector<TSpan> entries;
        std::vector<bool> overlapping;
    };
    const Case cases[] = {
        {"apart", {{0, 0, 10}, {0, 41, 5}, {0, 100, 0}}, {false, false, false}},
        {"one byte over the next header", {{0, 0, 11}, {0, 41, 5}, {0, 100, 0}}, {true, true, false}},
        {"data running over two entries", {{0, 0, 200}, {0, 41, 5}, {0, 100, 0}}, {true, true, true}},
        {"one inside another's data", {{0, 0, 500}, {0, 200, 5}, {0, 600, 5}}, {true, true, false}},
        {"after an entry that reaches further", {{0, 0, 500}, {0, 100, 5}, {0, 300, 5}}, {true, true, true}},
        {"on another volume", {{0, 0, 500}, {1, 10, 5}, {1, 46, 5}}, {false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSortedZip directory(dupError);
        for (std::size_t i = 0; i < c.entries.size(); ++i) {
            auto entry = std::make_unique<TZipHeaderInfo>();
            entry->SetFilename(std::string(1, static_cast<char>('a' + i)));
            entry->DiskNumberStart = c.entries[i].disk;
            entry->LocalHeaderOffset = c.entries[i].offset;
            entry->CompressedSize = c.entries[i].size;
            directory.Add(std::move(entry));
        }
        std::vector<bool> overlapping;
        int expectedCount = 0;
        const int marked = MarkOverlappingEntries(directory);
        for (std::size_t i = 0; i < c.entries.size(); ++i) {
            overlapping.push_back(directory.Entry(static_cast<int>(i))->Overlapping);
            expectedCount += c.overlapping[i] ? 1 : 0;
        }
        EXPECT_EQ(overlapping, c.overlapping);
        EXPECT_EQ(marked, expectedCount);
    }
}
