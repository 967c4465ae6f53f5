// The reader component: its defaults, the setters of its names and folders
// (with the dialogs through the UI hook), the per-entry accessors and their
// index errors, selection and comment changes.
#include "ZipReader.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <filesystem>
#include <chrono>
#include <string>

#include "ArchiveBuilder.h"
#include "Stream.h"
#include "TempDir.h"
#include "ZipExceptions.h"
#include "ZipUI.h"

namespace {

TEST(ZipReader, StartsWithItsDefaults)
{
    TZipReader reader;
    EXPECT_EQ(reader.ThisVersion(), 223);
    EXPECT_EQ(reader.GetZipName(), "");
    EXPECT_EQ(reader.GetDestDir(), "");
    EXPECT_EQ(reader.RootDir(), "");
    EXPECT_EQ(reader.SortMode, ByNone);
    EXPECT_FALSE(reader.RecreateDirs);
    EXPECT_EQ(reader.OverwriteMode, Prompt);
    EXPECT_TRUE(reader.FilesList().empty());
    EXPECT_FALSE(reader.DoAll);
    EXPECT_EQ(reader.IncompleteZipMode, izAssumeMulti);
    EXPECT_FALSE(reader.KeepZipOpen);
    EXPECT_TRUE(reader.DoProcessMessages);
    EXPECT_TRUE(reader.RetainAttributes);
    EXPECT_FALSE(reader.ReplaceReadOnly);
    EXPECT_FALSE(reader.FlushFilesOnClose);
    EXPECT_TRUE(reader.OEMConvert);
    EXPECT_EQ(reader.StreamBufferSize, 8192);
    EXPECT_EQ(reader.Password, "");
    EXPECT_EQ(reader.NumDisks(), 1);
    EXPECT_EQ(reader.CurrentDisk(), 0);
    EXPECT_EQ(reader.SelectedCount(), 0);
    EXPECT_EQ(reader.GetCount(), 0);
    EXPECT_EQ(reader.GetMultiMode(), mmNone);
    EXPECT_FALSE(reader.Rebuilt());
    EXPECT_FALSE(reader.OnInCompleteZip);
    // Block files are named, span disks asked for, by the default handler.
    EXPECT_TRUE(reader.OnGetNextDisk);
    EXPECT_TRUE(reader.CurrentEntry().OEMConvert);
    EXPECT_EQ(reader.NewHeaderInfo()->CRC32, 0xFFFFFFFFu);
}

TEST(ZipReader, ThisVersionStaysAt223)
{
    TZipReader reader;
    reader.SetThisVersion(5);
    EXPECT_EQ(reader.ThisVersion(), 223);
}

TEST(ZipReader, SupportsStoredDeflatedAndTheOlderMethods)
{
    const struct {
        std::uint16_t method;
        bool supported;
    } cases[] = {{0, true}, {1, true}, {2, true}, {3, true},  {4, true},   {5, true},
                 {6, true}, {7, false}, {8, true}, {9, false}, {12, false}, {99, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        EXPECT_EQ(TZipReader::SupportsMethod(c.method), c.supported);
    }
}

TEST(ZipReader, FoldersKeepTheirSeparatorRules)
{
    TZipReader reader;
    struct Case {
        const char* given;
        const char* destDir;
        const char* rootDir;
    };
    for (const Case& c : {Case{"/data/out/", "/data/out", "/data/out/"}, Case{"/data/out", "/data/out", "/data/out/"},
                          Case{"", "", ""}, Case{"/", "/", "/"}, Case{"out//", "out/", "out//"}}) {
        SCOPED_TRACE(c.given);
        reader.SetDestDir(c.given);
        reader.SetRootDir(c.given);
        EXPECT_EQ(reader.GetDestDir(), c.destDir);
        EXPECT_EQ(reader.RootDir(), c.rootDir);
    }
    reader.SetFilesList({"a", "b"});
    EXPECT_EQ(reader.FilesList().size(), 2u);
}

// Answers the dialogs as told and records what they were asked.
class TDialogUI : public TZipUI {
public:
    std::optional<std::string> OpenFileDialog(const std::string& title, const std::string& filter,
                                              const std::string& initialFolder) override
    {
        asked = title + "|" + filter + "|" + initialFolder;
        return answer;
    }
    std::optional<std::string> SelectFolder(const std::string& startFolder) override
    {
        asked = startFolder;
        return answer;
    }

    std::optional<std::string> answer;
    std::string asked;
};

TEST(ZipReader, AQuestionMarkNameAsksForTheArchive)
{
    TempDir dir;
    TZipReader reader;
    reader.SetZipName("/old.zip");
    try {
        reader.SetZipName(dir.Folder() + "?");
        FAIL() << "the headless interface must cancel";
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User canceled setting zip file name.");
    }
    EXPECT_EQ(reader.GetZipName(), "/old.zip");

    TDialogUI ui;
    TZipUIScope scope(ui);
    ui.answer = dir.File("chosen.zip");
    reader.SetZipName(dir.Folder() + "?");
    EXPECT_EQ(reader.GetZipName(), dir.File("chosen.zip"));
    EXPECT_EQ(ui.asked, "Open a Zip File|Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|"
                        "All Files (*.*)|*.*|" + dir.Folder());
    reader.SetZipName("/no/such/folder/?");
    EXPECT_EQ(ui.asked.substr(ui.asked.rfind('|')), "|/");
}

TEST(ZipReader, AQuestionMarkFolderAsksForTheDestination)
{
    TempDir dir;
    TZipReader reader;
    reader.SetDestDir(dir.Folder());
    try {
        reader.SetDestDir("?");
        FAIL() << "the headless interface must cancel";
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User canceled Set Desination Directory");
    }
    EXPECT_EQ(reader.GetDestDir(), dir.Path().string());

    TDialogUI ui;
    TZipUIScope scope(ui);
    ui.answer = dir.Folder() + "made/";
    reader.SetDestDir("?");
    EXPECT_EQ(ui.asked, dir.Path().string());
    EXPECT_EQ(reader.GetDestDir(), dir.Folder() + "made");
}

TEST(ZipReader, AssignCopiesTheSettingsAndEventsButThePassword)
{
    TZipReader source;
    source.SetZipName("/albums/holiday.zip");
    source.SetDestDir("/tmp/out");
    source.SetRootDir("pictures");
    source.SortMode = ByName;
    source.RecreateDirs = true;
    source.OverwriteMode = Always;
    source.FilesList() = {"*.jpg", "notes.txt"};
    source.DoAll = true;
    source.IncompleteZipMode = izAssumeBad;
    source.KeepZipOpen = true;
    source.DoProcessMessages = false;
    source.RetainAttributes = false;
    source.ReplaceReadOnly = true;
    // Not copied:
    source.Password = "secret";
    source.OEMConvert = false;
    source.FlushFilesOnClose = true;
    source.OnDecrypt = [](auto&&...) {};
    // Each lambda is a type of its own, so a copied handler shows by its type.
    source.OnStartUnZipInfo = [](auto&&...) {};
    source.OnFilePercentDone = [](auto&&...) {};
    source.OnTotalPercentDone = [](auto&&...) {};
    source.OnStartUnZip = [](auto&&...) {};
    source.OnEndUnZip = [](auto&&...) {};
    source.OnPromptForOverwrite = [](auto&&...) {};
    source.OnSkippingFile = [](auto&&...) {};
    source.OnBadPassword = [](auto&&...) {};
    source.OnBadCRC = [](auto&&...) {};
    source.OnInCompleteZip = [](auto&&...) {};
    source.OnGetNextDisk = [](auto&&...) {};
    source.OnUnZipComplete = [](auto&&...) {};
    source.OnGetNextBuffer = [](auto&&...) {};

    TZipReader copy;
    copy.Assign(source);
    EXPECT_EQ(copy.GetZipName(), "/albums/holiday.zip");
    EXPECT_EQ(copy.GetDestDir(), "/tmp/out");
    EXPECT_EQ(copy.RootDir(), "pictures/");
    EXPECT_EQ(copy.SortMode, ByName);
    EXPECT_TRUE(copy.RecreateDirs);
    EXPECT_EQ(copy.OverwriteMode, Always);
    EXPECT_EQ(copy.FilesList(), source.FilesList());
    EXPECT_TRUE(copy.DoAll);
    EXPECT_EQ(copy.IncompleteZipMode, izAssumeBad);
    EXPECT_TRUE(copy.KeepZipOpen);
    EXPECT_FALSE(copy.DoProcessMessages);
    EXPECT_FALSE(copy.RetainAttributes);
    EXPECT_TRUE(copy.ReplaceReadOnly);
    EXPECT_EQ(copy.Password, "");
    EXPECT_TRUE(copy.OEMConvert);
    EXPECT_FALSE(copy.FlushFilesOnClose);
    EXPECT_FALSE(copy.OnDecrypt);
    EXPECT_EQ(copy.OnStartUnZipInfo.target_type(), source.OnStartUnZipInfo.target_type());
    EXPECT_EQ(copy.OnFilePercentDone.target_type(), source.OnFilePercentDone.target_type());
    EXPECT_EQ(copy.OnTotalPercentDone.target_type(), source.OnTotalPercentDone.target_type());
    EXPECT_EQ(copy.OnStartUnZip.target_type(), source.OnStartUnZip.target_type());
    EXPECT_EQ(copy.OnEndUnZip.target_type(), source.OnEndUnZip.target_type());
    EXPECT_EQ(copy.OnPromptForOverwrite.target_type(), source.OnPromptForOverwrite.target_type());
    EXPECT_EQ(copy.OnSkippingFile.target_type(), source.OnSkippingFile.target_type());
    EXPECT_EQ(copy.OnBadPassword.target_type(), source.OnBadPassword.target_type());
    EXPECT_EQ(copy.OnBadCRC.target_type(), source.OnBadCRC.target_type());
    EXPECT_EQ(copy.OnInCompleteZip.target_type(), source.OnInCompleteZip.target_type());
    EXPECT_EQ(copy.OnGetNextDisk.target_type(), source.OnGetNextDisk.target_type());
    EXPECT_EQ(copy.OnUnZipComplete.target_type(), source.OnUnZipComplete.target_type());
    EXPECT_EQ(copy.OnGetNextBuffer.target_type(), source.OnGetNextBuffer.target_type());
}

TEST(ZipReader, AssignTakesNamesAsTheyAreAndDropsADirectoryOfAnotherArchive)
{
    TempDir dir;
    TZipReader reader;
    reader.SetZipName(dir.Write("a.zip", BuildStoredArchive({{"one.txt", "1"}, {"two.txt", "2"}})));
    reader.ReadZip();
    ASSERT_EQ(reader.GetCount(), 2);

    TZipReader same;
    same.SetZipName(reader.GetZipName());
    reader.Assign(same);
    EXPECT_EQ(reader.GetCount(), 2);

    // Entries read from a.zip are not listed under b.zip's name.
    TZipReader other;
    other.SetZipName(dir.Write("b.zip", BuildStoredArchive({{"only.txt", "x"}})));
    reader.Assign(other);
    EXPECT_EQ(reader.GetCount(), 0);
    reader.ReadZip();
    EXPECT_EQ(reader.GetFilename(0), "only.txt");
}

class ZipReaderWithArchive : public ::testing::Test {
protected:
    void SetUp() override
    {
        archive_ = dir_.Write("a.zip", BuildStoredArchive({
                                           {"folder/one.txt", "1", "first"},
                                           {"two.txt", "encryption header and data", "", 0x0001 /* encrypted */},
                                           {"bad-date.txt", "333", "", 0, 0x5A5E0000 /* 30 February 2025 */},
                                       }));
        reader_.SetZipName(archive_);
        reader_.ReadZip();
    }

    TempDir dir_;
    std::string archive_;
    TZipReader reader_;
};

TEST_F(ZipReaderWithArchive, AccessorsDescribeTheEntries)
{
    ASSERT_EQ(reader_.GetCount(), 3);
    EXPECT_EQ(reader_.GetFilename(0), "one.txt");
    EXPECT_EQ(reader_.GetEntry(0).Directory(), "folder/");
    EXPECT_FALSE(reader_.GetEncrypted(0));
    EXPECT_TRUE(reader_.GetEncrypted(1));
    std::tm expected{};
    expected.tm_year = 125;
    expected.tm_mday = 1;
    expected.tm_isdst = -1;
    EXPECT_EQ(reader_.GetDateTime(0), std::mktime(&expected));
    // A day its month lacks gives the current time.
    const std::time_t before = std::time(nullptr);
    const std::time_t badDate = reader_.GetDateTime(2);
    EXPECT_GE(badDate, before);
    EXPECT_LE(badDate, std::time(nullptr));
}

TEST_F(ZipReaderWithArchive, AnIndexOutOfRangeIsAListError)
{
    for (const int index : {-1, 3, 1000}) {
        SCOPED_TRACE(index);
        try {
            reader_.GetFilename(index);
            FAIL() << "no exception";
        } catch (const EListError& e) {
            EXPECT_EQ(std::string(e.what()), "Index " + std::to_string(index) + " is out of range");
        }
        EXPECT_THROW(reader_.GetDateTime(index), EListError);
        EXPECT_THROW(reader_.GetEncrypted(index), EListError);
        EXPECT_THROW(reader_.GetFileComment(index), EListError);
        EXPECT_THROW(reader_.SetFileComment(index, "x"), EListError);
        EXPECT_THROW(reader_.SetSelected(index, true), EListError);
    }
    TZipReader empty;
    EXPECT_THROW(empty.GetEntry(0), EListError);
}

TEST_F(ZipReaderWithArchive, SelectionCountsOnlyChanges)
{
    reader_.SetSelected(0, true);
    reader_.SetSelected(0, true);
    reader_.SetSelected(2, true);
    EXPECT_EQ(reader_.SelectedCount(), 2);
    reader_.SetSelected(1, false);
    reader_.SetSelected(0, false);
    EXPECT_EQ(reader_.SelectedCount(), 1);
    EXPECT_TRUE(reader_.GetEntry(2).Selected);
    // Dropping the directory drops the selection with it.
    reader_.ClearZip();
    EXPECT_EQ(reader_.SelectedCount(), 0);
}

TEST_F(ZipReaderWithArchive, OnlyARealChangeMarksTheComments)
{
    reader_.SetZipComment("");
    reader_.SetFileComment(1, "");
    EXPECT_FALSE(reader_.EndRecord().CommentChanged);
    reader_.SetFileComment(0, reader_.GetFileComment(0));
    EXPECT_FALSE(reader_.EndRecord().CommentChanged);

    reader_.SetFileComment(1, "new");
    EXPECT_TRUE(reader_.EndRecord().CommentChanged);
    EXPECT_EQ(reader_.GetFileComment(1), "new");
    reader_.SetZipComment("archive");
    EXPECT_EQ(reader_.GetZipComment(), "archive");
}

TEST_F(ZipReaderWithArchive, ClearingAnUnreadCommentIsAChange)
{
    reader_.SetFileComment(0, "");
    EXPECT_TRUE(reader_.EndRecord().CommentChanged);
    EXPECT_EQ(reader_.GetFileComment(0), "");
}

TEST_F(ZipReaderWithArchive, OnlyAnotherNameDropsTheDirectory)
{
    reader_.SetZipName(archive_);
    EXPECT_EQ(reader_.GetCount(), 3);
    // Linux names are case-sensitive: another case is another file.
    std::string otherCase = archive_;
    otherCase.back() = 'P';
    reader_.SetZipName(otherCase);
    EXPECT_EQ(reader_.GetCount(), 0);
    reader_.SetZipName(dir_.Write("b.zip", BuildStoredArchive({{"only.txt", "x"}})));
    reader_.ReadZip();
    EXPECT_EQ(reader_.GetCount(), 1);
    reader_.ClearZip();
    EXPECT_EQ(reader_.GetZipName(), "");
    EXPECT_EQ(reader_.GetCount(), 0);
}

TEST_F(ZipReaderWithArchive, TheStreamStaysOpenOnlyWhenAsked)
{
    reader_.KeepZipOpen = true;
    reader_.OpenZip();
    // Open and already read: the directory is there without the file's name.
    std::filesystem::rename(archive_, archive_ + ".moved");
    EXPECT_EQ(reader_.GetFileComment(0), "first");
    reader_.KeepZipOpen = false;
    reader_.CloseZip();
    EXPECT_THROW(reader_.OpenZip(), EFOpenError);
}

} // namespace

namespace {

// A held-open archive rewritten in place (same size, other names and data) is
// read afresh, not from what the stream buffered before.
TEST(ZipReader, AHeldArchiveRewrittenInPlaceIsReadAfresh)
{
    TempDir dir;
    const std::string before = BuildStoredArchive({{"one.txt", "first content"}, {"two.txt", "xx"}});
    const std::string after = BuildStoredArchive({{"ONE.txt", "other content"}, {"TWO.txt", "yy"}});
    ASSERT_EQ(before.size(), after.size());
    const std::string archive = dir.Write("in.zip", before);
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(archive);
    reader.KeepZipOpen = true;
    reader.ReadZip();
    ASSERT_EQ(reader.GetEntry(0).FullName(), "one.txt");
    {
        std::fstream file(archive, std::ios::in | std::ios::out | std::ios::binary);
        file.write(after.data(), static_cast<std::streamsize>(after.size()));
    }
    // Its modification time a second on, whatever the file system's grain.
    const auto written = std::filesystem::last_write_time(archive);
    std::filesystem::last_write_time(archive, written + std::chrono::seconds(1));

    TMemoryStream out;
    EXPECT_EQ(reader.UnZipToStreamByIndex(&out, 0), 1);
    EXPECT_EQ(reader.GetEntry(0).FullName(), "ONE.txt");
    EXPECT_EQ(out.Text(), "other content");
}

} // namespace
