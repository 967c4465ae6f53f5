// Spanned sets on emulated removable disks (folders swapped behind one path)
// with the disk prompt answered by a script: written, labelled and read back,
// and every way a disk change can go wrong ending cleanly.
#include <gtest/gtest.h>

#include "EmulatedDisks.h"
#include "SampleData.h"
#include "TempDir.h"
#include "VolumeTestSupport.h"
#include "ZipExceptions.h"

namespace {

constexpr std::int64_t DiskCapacity = 2000;

std::vector<TVolumeEntry> SpanEntries()
{
    return {{"Image1.jpg", RandomByteString(2500, 1)},
            {"pictoview.ini", std::string(200, 'i')},
            {"Image2.jpg", RandomByteString(1800, 2)}};
}

// A test folder with four emulated disks, their drive and the user at the prompt.
struct TSpanFixture {
    TempDir dir;
    TEmulatedDrives drives{dir, 4, DiskCapacity};
    TDrivesScope drivesScope{drives};
    TDiskPrompt prompt{drives};
    TZipUIScope promptScope{prompt};
    TZipWriter writer;

    TSpanFixture()
    {
        writer.DoProcessMessages = false;
        writer.PackLevel = 0;
        writer.SetMultiMode(mmSpan);
        writer.SetZipName(drives.File("album.zip"));
    }

    std::vector<TVolumeEntry> ReadBack()
    {
        TZipReader reader;
        reader.DoProcessMessages = false;
        reader.SetCheckDiskLabels(true);
        reader.SetZipName(drives.File("album.zip"));
        return ReadEntries(reader);
    }
};

} // namespace

TEST(SpanArchive, ASetSpansDisksIsLabelledAndReadsBack)
{
    TSpanFixture f;
    std::vector<int> prepared;
    f.writer.OnPrepareNextDisk = [&](TZipWriter&, int disk) { prepared.push_back(disk); };
    WriteEntries(f.writer, SpanEntries());
    EXPECT_EQ(f.writer.NumDisks(), 3);
    EXPECT_EQ(f.prompt.Prompts, (std::vector<std::string>{"Please insert disk 2 of the multi-disk set.",
                                                          "Please insert disk 3 of the multi-disk set."}));
    EXPECT_EQ(prepared, (std::vector<int>{2, 3}));
    EXPECT_EQ(f.drives.Labels,
              (std::map<int, std::string>{{1, "PKBACK# 001"}, {2, "PKBACK# 002"}, {3, "PKBACK# 003"}}));
    for (int disk = 1; disk <= 3; ++disk)
        EXPECT_LE(static_cast<std::int64_t>(std::filesystem::file_size(f.drives.DiskFile(disk, "album.zip"))),
                  DiskCapacity);

    f.prompt.Prompts.clear();
    EXPECT_EQ(f.ReadBack(), SpanEntries());
    EXPECT_EQ(f.prompt.Prompts.front(), "Please insert disk 1 of the multi-disk set.");
}

TEST(SpanArchive, ASetWrittenWhereLabelsCannotBeWrittenReadsBackWithLabelChecksOn)
{
    TSpanFixture f;
    f.drives.LabelsWritable = false;
    WriteEntries(f.writer, SpanEntries());
    EXPECT_TRUE(f.drives.Labels.empty() || f.drives.Labels.begin()->second.empty());
    EXPECT_EQ(f.ReadBack(), SpanEntries());
}

TEST(SpanArchive, TheLabelOfTheDiskJustOfferedIsCheckedAndAWrongDiskAskedAgain)
{
    TSpanFixture f;
    WriteEntries(f.writer, SpanEntries());
    f.prompt.Prompts.clear();
    // Asked for disk 1, the user first offers disk 2, then disk 1.
    f.prompt.Script = {{2, TMsgResult::Ok}, {1, TMsgResult::Ok}};
    EXPECT_EQ(f.ReadBack(), SpanEntries());
    ASSERT_GE(f.prompt.Prompts.size(), 2u);
    EXPECT_EQ(f.prompt.Prompts[0], "Please insert disk 1 of the multi-disk set.");
    EXPECT_EQ(f.prompt.Prompts[1], "Please insert disk 1 of the multi-disk set.");
}

TEST(SpanArchive, TheSameDiskOfferedTwiceIsRefusedNotOverwritten)
{
    TSpanFixture f;
    // At the first prompt the user leaves disk 1 in the drive.
    f.prompt.Script = {{0, TMsgResult::Ok}};
    WriteEntries(f.writer, SpanEntries());
    EXPECT_EQ(f.prompt.Prompts.at(0), f.prompt.Prompts.at(1));
    EXPECT_EQ(f.ReadBack(), SpanEntries());
}

TEST(SpanArchive, CancellingTheDiskPromptEndsTheBuildAndRemovesTheVolumeInTheDrive)
{
    TSpanFixture f;
    f.prompt.AutoInsert = false;
    EXPECT_THROW(WriteEntries(f.writer, SpanEntries()), EUserCanceled);
    EXPECT_TRUE(FilesIn(f.drives.DiskFolder(1)).empty());
}

TEST(SpanArchive, WithoutAHandlerAWriteOrReadThatNeedsAnotherDiskIsCanceled)
{
    TSpanFixture f;
    f.writer.OnGetNextDisk = nullptr;
    EXPECT_THROW(WriteEntries(f.writer, SpanEntries()), EUserCanceled);
    EXPECT_TRUE(FilesIn(f.drives.DiskFolder(1)).empty());

    f.writer.OnGetNextDisk = TZipReader::DefaultGetNextDisk;
    WriteEntries(f.writer, SpanEntries());
    TZipReader reader;
    reader.OnGetNextDisk = nullptr;
    reader.SetZipName(f.drives.File("album.zip"));
    EXPECT_THROW(ReadEntries(reader), EUserCanceled);
}

TEST(SpanArchive, CancellingAtTheReadPromptEndsTheRead)
{
    TSpanFixture f;
    WriteEntries(f.writer, SpanEntries());
    f.prompt.AutoInsert = false;
    EXPECT_THROW(f.ReadBack(), EUserCanceled);
}

TEST(SpanArchive, ADiskWithoutRoomRaisesNotEnoughRoom)
{
    TSpanFixture f;
    f.drives.Capacity[2] = 0;
    EXPECT_THROW(WriteEntries(f.writer, SpanEntries()), ENotEnoughRoom);
}

TEST(SpanArchive, TheSideFileGoesOnTheFirstDiskWithinItsReserve)
{
    TSpanFixture f;
    f.writer.MultiZipInfo().SaveZipInfoOnFirstDisk = true;
    WriteEntries(f.writer, SpanEntries());
    EXPECT_EQ(f.prompt.Prompts.back(), "Please insert disk 1 of the multi-disk set.");
    EXPECT_EQ(FilesIn(f.drives.DiskFolder(1)), (std::vector<std::string>{"album.zfc", "album.zip"}));
    EXPECT_LE(f.drives.FreeSpace(f.drives.File("album.zip")), DiskCapacity);
    EXPECT_GE(f.drives.FreeSpace(f.drives.File("album.zip")), 0);
    EXPECT_EQ(f.writer.MultiZipInfo().SaveOnFirstDisk, 0);

    // With disk 1 in the drive the set lists from the side file.
    f.prompt.Prompts.clear();
    EXPECT_EQ(f.ReadBack(), SpanEntries());
}

TEST(SpanArchive, ABlockSetOnARemovableDriveIsReadAsBlocks)
{
    TSpanFixture fixture;
    // A prompt would be cancelled: blocks are never asked for.
    fixture.prompt.AutoInsert = false;
    TZipWriter writer;
    UseBlocks(writer, 1000, 1000);
    writer.MultiZipInfo().SaveZipInfoOnFirstDisk = true;
    writer.SetZipName(fixture.drives.File("backup.zip"));
    WriteEntries(writer, SpanEntries());
    ASSERT_TRUE(std::filesystem::exists(fixture.drives.File("backup.002")));

    // By its last block, and by its first with the side file beside it.
    for (const std::string& name : {writer.GetZipName(), fixture.drives.File("backup.001")}) {
        SCOPED_TRACE(name);
        TZipReader reader;
        reader.DoProcessMessages = false;
        reader.SetZipName(name);
        EXPECT_EQ(ReadEntries(reader), SpanEntries());
        EXPECT_EQ(reader.GetMultiMode(), mmBlocks);
        EXPECT_TRUE(fixture.prompt.Prompts.empty());
    }
}

TEST(SpanArchive, ASpanOnAFixedDriveIsReadAsASpan)
{
    TSpanFixture f;
    f.drives.Removable = false;
    WriteEntries(f.writer, SpanEntries());
    ASSERT_EQ(f.writer.NumDisks(), 3);
    f.prompt.Prompts.clear();
    EXPECT_EQ(f.ReadBack(), SpanEntries());
    EXPECT_EQ(f.prompt.Prompts.front(), "Please insert disk 1 of the multi-disk set.");
}
