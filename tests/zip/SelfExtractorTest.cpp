// Self-extracting programs: the stub followed by the archive's entries with
// offsets from the start of the file, checked by the peers; the program's
// name; refusals and failures that leave every file as it was.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "LittleEndian.h"
#include "PeerCheck.h"
#include "RunCommand.h"
#include "SampleData.h"
#include "TempDir.h"
#include "ZipExceptions.h"
#include "ZipWriter.h"

namespace {

// The fields of the end record that place the central directory.
struct TEndRecordView {
    std::uint64_t Position = 0;
    std::uint64_t CentralSize = 0;
    std::uint64_t CentralOffset = 0;
    std::string Comment;
};

TEndRecordView EndRecordOf(const std::string& bytes)
{
    const std::size_t at = bytes.rfind("PK\x05\x06");
    const auto* record = reinterpret_cast<const std::uint8_t*>(bytes.data() + at);
    return {at, GetU32(record + 12), GetU32(record + 16), bytes.substr(at + 22, GetU16(record + 20))};
}

std::vector<std::string> FolderListing(const TempDir& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string() + " " +
                        (entry.is_regular_file() ? ReadFileBytes(entry.path().string()) : "(folder)"));
    std::sort(names.begin(), names.end());
    return names;
}

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

class SelfExtractor : public ::testing::Test {
protected:
    SelfExtractor()
    {
        stub_ = dir_.Write("stub", RandomByteString(4097, 1));
        dir_.Write("src/small.txt", "small\n");
        dir_.Write("src/text.txt", std::string(20000, 't'));
        dir_.Write("src/secret.txt", "the secret");
    }

    // Runs a peer in the sources' folder.
    std::string Peer(const std::string& command) const
    {
        return RunChecked("cd " + ShellQuote(dir_.Folder() + "src") + " && " + command);
    }

    // Makes the program of the archive; the archive must not change.
    std::string MakeProgram(const std::string& archive)
    {
        const std::string before = ReadFileBytes(archive);
        TZipWriter writer;
        writer.SetZipName(archive);
        writer.MakeSelfExtractor(stub_, true);
        EXPECT_TRUE(ReadFileBytes(archive) == before);
        return archive.substr(0, archive.rfind('.')) + ".EXE";
    }

    TempDir dir_;
    std::string stub_;
};

TEST_F(SelfExtractor, TheProgramIsTheStubThenTheArchiveCountingOffsetsFromItsStart)
{
    // Info-ZIP's "zip -A" finds nothing to change in a program, unless its
    // entries carry data descriptors, which it drops from any archive.
    struct Case {
        const char* name;
        std::string make;
        std::string password;
        bool hasDescriptors = false;
    };
    const std::string zip = ShellQuote(dir_.File("info.zip"));
    const Case cases[] = {
        {"info.zip",
         "zip -q " + zip + " small.txt text.txt && zip -q -P pw " + zip + " secret.txt && echo the comment | zip -q -z " +
             zip,
         "pw"},
        {"streamed.zip", "zip -q - small.txt secret.txt text.txt | cat > " + ShellQuote(dir_.File("streamed.zip")),
         "", true},
        {"python.zip",
         "python3 -c 'import zipfile, sys\nwith zipfile.ZipFile(sys.argv[1], \"w\", zipfile.ZIP_DEFLATED) as z:\n"
         "    z.write(\"text.txt\"); z.write(\"small.txt\"); z.comment = b\"py\"' " +
             ShellQuote(dir_.File("python.zip")),
         ""},
        {"7zip.zip", "7zz a -tzip -bd -ppw -mem=ZipCrypto " + ShellQuote(dir_.File("7zip.zip")) + " . >/dev/null",
         "pw"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Peer(c.make);
        const std::string archive = dir_.File(c.name);
        const std::string program = MakeProgram(archive);
        const std::string bytes = ReadFileBytes(program);
        const std::string archiveBytes = ReadFileBytes(archive);
        EXPECT_TRUE(bytes.substr(0, 4097) == ReadFileBytes(stub_));

        const TEndRecordView end = EndRecordOf(bytes);
        EXPECT_EQ(end.CentralOffset + end.CentralSize, end.Position);
        EXPECT_EQ(GetU32(reinterpret_cast<const std::uint8_t*>(bytes.data() + end.CentralOffset + 42)), 4097u);
        EXPECT_EQ(end.Comment, EndRecordOf(archiveBytes).Comment);
        EXPECT_EQ(end.Position + 22 + end.Comment.size(), bytes.size());

        ExpectPeersAccept(dir_, program, c.password);
        EXPECT_EQ(PythonEntries(dir_, program, c.password), PythonEntries(dir_, archive, c.password));
        // Info-ZIP sees no bytes in front of the archive, as it does for the
        // archive simply appended to the stub.
        EXPECT_EQ(RunCommand("unzip -tq " + ShellQuote(program) + " 2>&1 </dev/null").Output.find("extra bytes"),
                  std::string::npos);
        const std::string appended = dir_.Write("appended.exe", ReadFileBytes(stub_) + archiveBytes);
        EXPECT_NE(RunCommand("unzip -tq " + ShellQuote(appended) + " 2>&1 </dev/null").Output.find("extra bytes"),
                  std::string::npos);
        if (!c.hasDescriptors) {
            const std::string copy = dir_.Write("copy.exe", bytes);
            RunChecked("zip -q -A " + ShellQuote(copy));
            EXPECT_TRUE(ReadFileBytes(copy) == bytes);
        }

        struct stat status {};
        ASSERT_EQ(::stat(program.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0777 & ~CurrentUmask());
    }
}

TEST_F(SelfExtractor, EncryptedEntriesAreCopiedAsTheyAre)
{
    Peer("zip -q -P pw " + ShellQuote(dir_.File("e.zip")) + " secret.txt small.txt");
    const std::string program = MakeProgram(dir_.File("e.zip"));
    TZipReader archive;
    archive.SetZipName(dir_.File("e.zip"));
    archive.ReadZip();
    TZipReader copy;
    copy.SetZipName(program);
    copy.ReadZip();
    ASSERT_EQ(copy.GetCount(), archive.GetCount());
    for (int i = 0; i < copy.GetCount(); ++i) {
        const TZipHeaderInfo& a = archive.GetEntry(i);
        const TZipHeaderInfo& b = copy.GetEntry(i);
        EXPECT_TRUE(b.Encrypted());
        EXPECT_EQ(b.Flags, a.Flags);
        EXPECT_EQ(b.CRC32, a.CRC32);
        EXPECT_EQ(b.CompressedSize, a.CompressedSize);
        EXPECT_EQ(b.UncompressedSize, a.UncompressedSize);
    }
    EXPECT_EQ(RunCommand("unzip -tq -P pw " + ShellQuote(program) + " >/dev/null 2>&1").ExitCode, 0);
    EXPECT_NE(RunCommand("unzip -tq -P wrong " + ShellQuote(program) + " >/dev/null 2>&1").ExitCode, 0);
}

TEST_F(SelfExtractor, TheProgramIsNamedAfterTheArchiveWithExe)
{
    struct Case {
        const char* archive;
        const char* program;
    };
    const Case cases[] = {
        {"album.zip", "album.EXE"},
        {"album", "album.EXE"},
        {"holiday.2008.zip", "holiday.2008.EXE"},
        {"dotted.folder/archive", "dotted.folder/archive.EXE"},
        // File names differ by case here: the program goes beside it.
        {"lower.exe", "lower.EXE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.archive);
        const std::string archive = dir_.File(c.archive);
        std::filesystem::create_directories(std::filesystem::path(archive).parent_path());
        Peer("zip -q - small.txt > " + ShellQuote(archive));
        TZipWriter writer;
        writer.SetZipName(archive);
        writer.MakeSelfExtractor(stub_, true);
        EXPECT_TRUE(std::filesystem::exists(dir_.File(c.program)));
        EXPECT_EQ(writer.GetZipName(), archive);
    }
}

TEST_F(SelfExtractor, AnOlderProgramIsReplacedWholeOrNotAtAll)
{
    Peer("zip -q " + ShellQuote(dir_.File("a.zip")) + " small.txt text.txt");
    const std::string program = dir_.Write("a.EXE", "an older program");
    MakeProgram(dir_.File("a.zip"));
    ExpectPeersAccept(dir_, program);

    // An entry that cannot be copied ends the build: the older program and
    // the folder stay as they were.
    std::string damaged = ReadFileBytes(dir_.File("a.zip"));
    const TEndRecordView end = EndRecordOf(damaged);
    PutU32(reinterpret_cast<std::uint8_t*>(damaged.data() + end.CentralOffset + 42), 1u << 30);
    dir_.Write("a.zip", damaged);
    dir_.Write("a.EXE", "an older program");
    const std::vector<std::string> before = FolderListing(dir_);
    TZipWriter writer;
    writer.SetZipName(dir_.File("a.zip"));
    EXPECT_THROW(writer.MakeSelfExtractor(stub_, true), EBadZipFile);
    EXPECT_EQ(FolderListing(dir_), before);
}

TEST_F(SelfExtractor, WhatCannotBeMadeIsRefusedAndChangesNothing)
{
    Peer("zip -q " + ShellQuote(dir_.File("a.zip")) + " small.txt && cp " + ShellQuote(dir_.File("a.zip")) + " " +
         ShellQuote(dir_.File("b.EXE")));
    struct Case {
        const char* name;
        std::string zipName;
        std::string stub;
        TMultiMode mode;
        std::string error;
    };
    const Case cases[] = {
        {"no archive", dir_.File("missing.zip"), stub_, mmNone, "there is no archive"},
        {"archive is a folder", dir_.File("src"), stub_, mmNone, "there is no archive"},
        {"multi-volume", dir_.File("a.zip"), stub_, mmBlocks, "multi-volume"},
        {"program is the archive", dir_.File("b.EXE"), stub_, mmNone, "would replace its own archive"},
        {"no stub", dir_.File("a.zip"), dir_.File("missing-stub"), mmNone, "missing-stub"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> before = FolderListing(dir_);
        TZipWriter writer;
        writer.SetZipName(c.zipName);
        writer.SetMultiMode(c.mode);
        try {
            writer.MakeSelfExtractor(c.stub, true);
            ADD_FAILURE() << "no exception";
        } catch (const EStreamError& e) {
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
        }
        EXPECT_EQ(FolderListing(dir_), before);
    }
    // A blank name does nothing.
    TZipWriter writer;
    const std::vector<std::string> before = FolderListing(dir_);
    EXPECT_NO_THROW(writer.MakeSelfExtractor(stub_, true));
    EXPECT_EQ(FolderListing(dir_), before);
}

TEST_F(SelfExtractor, TheReaderKeepsTheArchiveAndNothingListedJoinsTheProgram)
{
    Peer("zip -q " + ShellQuote(dir_.File("a.zip")) + " small.txt text.txt");
    TZipWriter writer;
    writer.SortMode = ByName;
    writer.SetZipName(dir_.File("a.zip"));
    writer.ReadZip();
    writer.FilesList() = {dir_.File("src/secret.txt")};
    int percent = -1;
    int completed = 0;
    writer.OnTotalPercentDone = [&](TZipReader&, int value) { percent = value; };
    writer.OnZipComplete = [&](TZipWriter&, int) { ++completed; };
    writer.MakeSelfExtractor(stub_, true);
    EXPECT_EQ(writer.GetZipName(), dir_.File("a.zip"));
    EXPECT_EQ(writer.SortMode, ByName);
    EXPECT_EQ(writer.GetCount(), 2);
    EXPECT_EQ(writer.GetEntry(0).LocalHeaderOffset, 0u);
    EXPECT_TRUE(writer.FilesList().empty());
    EXPECT_EQ(percent, 100);
    EXPECT_EQ(completed, 0);
    EXPECT_EQ(PythonEntries(dir_, dir_.File("a.EXE")), PythonEntries(dir_, dir_.File("a.zip")));
}

TEST_F(SelfExtractor, AnEntryAddedToAProgramKeepsTheProgramInFront)
{
    Peer("zip -q " + ShellQuote(dir_.File("a.zip")) + " small.txt");
    const std::string program = MakeProgram(dir_.File("a.zip"));
    const std::string appended = dir_.Write("appended.exe", ReadFileBytes(stub_) + ReadFileBytes(dir_.File("a.zip")));
    for (const std::string& file : {program, appended}) {
        SCOPED_TRACE(file);
        TZipWriter writer;
        writer.SetZipName(file);
        TMemoryStream added(std::vector<std::uint8_t>{'n', 'e', 'w'});
        ASSERT_EQ(writer.AddStreamEntry(&added, "added.txt"), 1);
        EXPECT_TRUE(ReadFileBytes(file).substr(0, 4097) == ReadFileBytes(stub_));
        ExpectPeersAccept(dir_, file);
        EXPECT_EQ(RunCommand("unzip -tq " + ShellQuote(file) + " 2>&1").Output.find("extra bytes"), std::string::npos);
        EXPECT_EQ(PythonEntries(dir_, file),
                  (std::map<std::string, std::string>{{"small.txt", "small\n"}, {"added.txt", "new"}}));
    }
}

TEST(ZipDriverSfx, MakesTheProgramOrExitsWithTwo)
{
    TempDir dir;
    dir.Write("stub", "#!/bin/sh\nexit 0\n");
    dir.Write("file.txt", "text");
    const std::string cd = "cd " + ShellQuote(dir.Folder()) + " && ";
    RunChecked(cd + "zip -q a.zip file.txt");
    EXPECT_EQ(RunCommand(cd + ZIPDRIVER_PATH + " sfx stub a.zip").ExitCode, 0);
    ExpectPeersAccept(dir, dir.File("a.EXE"));
    const TCommandResult missing = RunCommand(cd + ZIPDRIVER_PATH + " sfx stub none.zip 2>&1");
    EXPECT_EQ(missing.ExitCode, 2);
    EXPECT_NE(missing.Output.find("none.zip"), std::string::npos);
}

} // namespace
