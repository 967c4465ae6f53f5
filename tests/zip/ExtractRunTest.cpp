// The extraction run: which entries it takes, the order of its events,
// passwords, progress, cancelling, and extraction into a caller's stream.
#include <algorithm>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "CheckByteRefusal.h"
#include "ExtractSupport.h"
#include "RunCommand.h"
#include "Stream.h"
#include "TempDir.h"
#include "ZipExceptions.h"
#include "ZipReader.h"

namespace {

const std::string Big(100000, 'b');

std::string Archive(const TempDir& dir)
{
    return dir.Write("in.zip", BuildStoredArchive({{"Top.txt", "top"},
                                                   {"sub/", ""},
                                                   {"sub/inner.txt", "inner"},
                                                   {"sub/big.bin", Big},
                                                   {"empty.txt", ""}}));
}

// Stored archive of two files encrypted with password, made by zip -P.
std::string EncryptedArchive(const TempDir& dir)
{
    dir.Write("plain/a.txt", "alpha");
    dir.Write("plain/sub/b.txt", "beta");
    const std::string archive = dir.File("secret.zip");
    std::filesystem::remove(archive);
    RunChecked("cd " + ShellQuote(dir.File("plain")) + " && zip -q -r -D -P right " + ShellQuote(archive) + " .");
    return archive;
}

// EncryptedArchive made again until the check bytes of both its entries
// refuse "wrong".
std::string EncryptedArchiveRefusingWrong(const TempDir& dir)
{
    std::string archive;
    EXPECT_TRUE(MadeUntilRefused([&] { archive = EncryptedArchive(dir); },
                                 [&] { return CheckBytesRefuse(archive, {"wrong"}); }));
    return archive;
}

TEST(ExtractRun, EventsOfARunInOrder)
{
    TempDir dir;
    TZipReader reader;
    SetUpExtraction(reader, Archive(dir), dir.File("dest"));
    TEventLog log(reader);
    std::vector<int> filePercents;
    int lastTotal = -1;
    reader.OnFilePercentDone = [&](TZipReader&, int percent) { filePercents.push_back(percent); };
    reader.OnTotalPercentDone = [&](TZipReader&, int percent) {
        EXPECT_GE(percent, lastTotal);
        lastTotal = percent;
    };
    EXPECT_EQ(reader.UnZipToDestDir(), 5);
    EXPECT_EQ(log.Text(), "info 5 100008\nstart 0\nend 0\nstart 2\nend 2\nstart 3\nend 3\nstart 4\nend 4\ncomplete 5\n");
    // top, inner, then the big file's 32 KB blocks.
    EXPECT_EQ(filePercents, (std::vector<int>{100, 100, 33, 66, 98, 100}));
    EXPECT_EQ(lastTotal, 100);
    EXPECT_EQ(ReadFileBytes(dir.File("dest/sub/big.bin")), Big);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("dest/sub")));
}

TEST(ExtractRun, FilesListChoosesByFolderAndNameIgnoringCase)
{
    const struct {
        std::vector<std::string> Lines;
        std::string Extracted;
    } cases[] = {
        // Without folders every file lands in the destination itself.
        {{"TOP.TXT"}, "Top.txt "},
        {{"inner.txt"}, ""}, // a bare name does not reach into a folder
        {{"SUB/*.TXT"}, "inner.txt "},
        {{"*.bin", "top.*"}, "Top.txt big.bin "},
        {{}, ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        TZipReader reader;
        SetUpExtraction(reader, Archive(dir), dir.File("dest"));
        reader.DoAll = false;
        reader.RecreateDirs = false;
        reader.SetFilesList(c.Lines);
        TEventLog log(reader);
        reader.UnZipToDestDir();
        EXPECT_EQ(TreeNames(ReadTree(dir.File("dest"))), c.Extracted) << log.Text();
        EXPECT_TRUE(reader.FilesList().empty());
        if (c.Lines.empty()) {
            EXPECT_EQ(log.Text(), "info 0 0\ncomplete 0\n");
        }
    }
}

TEST(ExtractRun, FolderEntriesCountWithDoAllEvenWhenNotRecreated)
{
    TempDir dir;
    TZipReader reader;
    SetUpExtraction(reader, Archive(dir), dir.File("dest"));
    reader.RecreateDirs = false;
    TEventLog log(reader);
    EXPECT_EQ(reader.UnZipToDestDir(), 5);
    EXPECT_EQ(log.Lines.front(), "info 4 100008");
    EXPECT_EQ(TreeNames(ReadTree(dir.File("dest"))), "Top.txt big.bin empty.txt inner.txt ");
}

TEST(ExtractRun, StopNowExtractsNothing)
{
    TempDir dir;
    TZipReader reader;
    SetUpExtraction(reader, Archive(dir), dir.File("dest"));
    reader.SetFilesList({"*"});
    int completed = -1;
    reader.OnStartUnZipInfo = [](TZipReader&, int, std::int64_t, bool& stopNow) { stopNow = true; };
    reader.OnUnZipComplete = [&](TZipReader&, int count) { completed = count; };
    EXPECT_EQ(reader.UnZipToDestDir(), 0);
    EXPECT_EQ(completed, 0);
    EXPECT_TRUE(reader.FilesList().empty());
    EXPECT_TRUE(ReadTree(dir.File("dest")).empty());
}

TEST(ExtractRun, OnStartUnZipMaySkipOrRename)
{
    TempDir dir;
    TZipReader reader;
    SetUpExtraction(reader, Archive(dir), dir.File("dest"));
    reader.RecreateDirs = false;
    reader.OnStartUnZip = [&](TZipReader&, int index, std::string& name, bool& skip) {
        skip = index != 0;
        name = dir.File("dest/renamed.txt");
    };
    EXPECT_EQ(reader.UnZipToDestDir(), 2); // Top.txt and the folder entry
    EXPECT_EQ(TreeNames(ReadTree(dir.File("dest"))), "renamed.txt ");
}

TEST(ExtractRun, SelectedEntriesOnly)
{
    TempDir dir;
    TZipReader reader;
    SetUpExtraction(reader, Archive(dir), dir.File("dest"));
    reader.DoAll = false;
    reader.ReadZip();
    reader.SetSelected(2, true);
    reader.SetFilesList({"*"}); // not consulted
    EXPECT_EQ(reader.UnZipSelectedToDestDir(), 1);
    EXPECT_EQ(TreeNames(ReadTree(dir.File("dest"))), "sub/ sub/inner.txt ");
    EXPECT_FALSE(reader.GetEntry(2).Selected);
    EXPECT_EQ(reader.SelectedCount(), 0);
}

TEST(ExtractRun, AWrongPasswordSkipsWithoutCreatingTheFile)
{
    TempDir dir;
    TZipReader reader;
    SetUpExtraction(reader, EncryptedArchiveRefusingWrong(dir), dir.File("dest"));
    reader.Password = "wrong";
    TEventLog log(reader);
    EXPECT_EQ(reader.UnZipToDestDir(), 0);
    EXPECT_NE(log.Text().find("reason 0 sub/b.txt"), std::string::npos) << log.Text();
    for (const auto& [name, item] : ReadTree(dir.File("dest")))
        EXPECT_TRUE(item.Folder) << name;
}

TEST(ExtractRun, OnBadPasswordMayGiveAnotherPassword)
{
    for (const bool answer : {false, true}) {
        TempDir dir;
        TZipReader reader;
        SetUpExtraction(reader, EncryptedArchiveRefusingWrong(dir), dir.File("dest"));
        reader.Password = "wrong";
        int asked = 0;
        reader.OnBadPassword = [&](TZipReader&, int, std::string& password) {
            ++asked;
            if (answer)
                password = "right";
        };
        EXPECT_EQ(reader.UnZipToDestDir(), answer ? 2 : 0);
        // With the right password the second entry needs no question.
        EXPECT_EQ(asked, answer ? 1 : 2);
        if (answer) {
            EXPECT_EQ(ReadFileBytes(dir.File("dest/sub/b.txt")), "beta");
        }
    }
}

// The first entry's data spoilt behind its encryption header, which still
// passes the right password.
std::string EncryptedArchiveDamaged(const TempDir& dir)
{
    const std::string archive = EncryptedArchive(dir);
    std::string bytes = ReadFileBytes(archive);
    const auto byteAt = [&](std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); };
    const std::size_t dataStart = 30 + (byteAt(26) | byteAt(27) << 8) + (byteAt(28) | byteAt(29) << 8);
    bytes[dataStart + 12 + 1] ^= 0x20;
    return dir.Write("damaged.zip", bytes);
}

TEST(ExtractRun, DamageBehindAPasswordThatPassesTheCheckByteIsReportedAsDamage)
{
    for (const bool handler : {false, true}) {
        SCOPED_TRACE(handler);
        TempDir dir;
        TZipReader reader;
        SetUpExtraction(reader, EncryptedArchiveDamaged(dir), dir.File("dest"));
        reader.Password = "right";
        TEventLog log(reader);
        std::vector<bool> passed;
        if (handler)
            reader.OnBadPassword = [&](TZipReader& sender, int, std::string&) {
                passed.push_back(sender.CheckBytePassed());
            };
        EXPECT_EQ(reader.UnZipToDestDir(), 1);
        EXPECT_EQ(log.Text(), "info 2 9\nstart 0\nbadcrc 0\nstart 1\nend 1\ncomplete 1\n");
        EXPECT_EQ(log.Failure, "bad CRC, or a wrong password");
        // Asked once, knowing that the password passed the check byte.
        EXPECT_EQ(passed, handler ? std::vector<bool>{true} : std::vector<bool>{});
        EXPECT_FALSE(std::filesystem::exists(dir.File("dest/sub/b.txt")));
        EXPECT_EQ(ReadFileBytes(dir.File("dest/a.txt")), "alpha");
    }
}

TEST(ExtractRun, ACheckByteThatRefusesThePasswordSaysSo)
{
    for (const std::string password : {"wrong", ""}) {
        SCOPED_TRACE(password);
        // A wrong password passes an entry's check byte 1 time in 256, as its
        // random header decides: such an archive is made again.
        bool refused = false;
        for (int attempt = 0; attempt < 8 && !refused; ++attempt) {
            TempDir dir;
            TZipReader reader;
            SetUpExtraction(reader, EncryptedArchive(dir), dir.File("dest"));
            reader.Password = password;
            TEventLog log(reader);
            std::vector<bool> passed;
            reader.OnBadPassword = [&](TZipReader& sender, int, std::string&) {
                passed.push_back(sender.CheckBytePassed());
            };
            EXPECT_EQ(reader.UnZipToDestDir(), 0);
            if (passed.empty() || std::find(passed.begin(), passed.end(), true) != passed.end())
                continue;
            refused = true;
            EXPECT_EQ(log.Failure, password.empty() ? "no password given" : "wrong password");
            EXPECT_EQ(passed, (std::vector<bool>{false, false}));
        }
        EXPECT_TRUE(refused);
    }
}

class TCancellingUI : public TZipUI {
public:
    explicit TCancellingUI(TZipReader& reader) : reader_(reader) {}
    void ProcessMessages() override
    {
        if (++pumped == 3)
            reader_.Cancel();
    }
    int pumped = 0;

private:
    TZipReader& reader_;
};

TEST(ExtractRun, ACancelEndsTheRunAndKeepsTheOldFile)
{
    TempDir dir;
    dir.Write("dest/sub/big.bin", "old");
    TZipReader reader;
    SetUpExtraction(reader, Archive(dir), dir.File("dest"));
    reader.DoProcessMessages = true;
    TCancellingUI ui(reader);
    TZipUIScope scope(ui);
    EXPECT_THROW(reader.UnZipToDestDir(), EUserCanceled);
    EXPECT_EQ(ReadFileBytes(dir.File("dest/sub/big.bin")), "old");
    EXPECT_EQ(TreeNames(ReadTree(dir.File("dest"))), "Top.txt sub/ sub/big.bin sub/inner.txt ");
}

TEST(ExtractRun, UnZipToStreamByIndexAppendsOneEntry)
{
    TempDir dir;
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(Archive(dir));
    reader.ReadZip();
    EXPECT_EQ(reader.UnZipToStreamByIndex(nullptr, 0), 0);
    TMemoryStream stream;
    stream.WriteBuffer("prefix:", 7);
    EXPECT_EQ(reader.UnZipToStreamByIndex(&stream, 3), 1);
    EXPECT_EQ(stream.Text(), "prefix:" + Big);
    EXPECT_EQ(reader.UnZipToStreamByIndex(&stream, 0), 1);
    EXPECT_EQ(stream.Text(), "prefix:" + Big + "top");
    EXPECT_FALSE(reader.GetEntry(3).Selected);
    EXPECT_THROW(reader.UnZipToStreamByIndex(&stream, 5), EListError);
}

TEST(ExtractRun, UnZipToStreamByIndexWithDoAllAppendsEveryEntry)
{
    TempDir dir;
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.DoAll = true;
    reader.SetZipName(Archive(dir));
    reader.ReadZip();
    TMemoryStream stream;
    // The folder entry gives no bytes but counts.
    EXPECT_EQ(reader.UnZipToStreamByIndex(&stream, 0), 5);
    EXPECT_EQ(stream.Text(), "top" + std::string("inner") + Big);
}

TEST(ExtractRun, AFailedStreamEntryLeavesTheStreamAsItWas)
{
    TempDir dir;
    std::string archive = BuildStoredArchive({{"big.bin", Big}, {"ok.txt", "ok"}});
    PatchFirstEntry(archive, CrcField, TestCrc(Big) ^ 1);
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(dir.Write("in.zip", archive));
    reader.ReadZip();
    TEventLog log(reader);
    TMemoryStream stream;
    stream.WriteBuffer("0123456789", 10);
    stream.SetPosition(4);
    EXPECT_EQ(reader.UnZipToStreamByIndex(&stream, 0), 0);
    EXPECT_EQ(stream.Text(), "0123456789");
    EXPECT_EQ(stream.Position(), 4);
    EXPECT_NE(log.Text().find("badcrc 0"), std::string::npos);

    reader.DoAll = true;
    stream.SetPosition(10);
    EXPECT_EQ(reader.UnZipToStreamByIndex(&stream, 0), 1);
    EXPECT_EQ(stream.Text(), "0123456789ok");
}

TEST(ExtractRun, EncryptedEntriesIntoAStream)
{
    TempDir dir;
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(EncryptedArchive(dir));
    reader.ReadZip();
    reader.Password = "right";
    TMemoryStream stream;
    for (int i = 0; i < reader.GetCount(); ++i)
        EXPECT_EQ(reader.UnZipToStreamByIndex(&stream, i), 1);
    EXPECT_TRUE(stream.Text() == "alphabeta" || stream.Text() == "betaalpha") << stream.Text();
    // OnDecrypt takes the cipher's place.
    int calls = 0;
    reader.OnDecrypt = [&](TZipReader&, std::uint8_t*, int, const std::string&) { ++calls; };
    TMemoryStream undecrypted;
    EXPECT_EQ(reader.UnZipToStreamByIndex(&undecrypted, 0), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(undecrypted.Size(), 0);
}

} // namespace
