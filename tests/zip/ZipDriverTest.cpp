// `zipdriver list` against Python's zipfile on archives that peer tools make,
// and its exit status and message on archives it cannot read.
#include <gtest/gtest.h>

#include <string>

#include "PeerArchives.h"
#include "RunCommand.h"
#include "TempDir.h"
#include "ZipListing.h"

namespace {

TCommandResult Driver(const std::string& archive, const TempDir& dir)
{
    return RunCommand(std::string(ZIPDRIVER_PATH) + " list " + ShellQuote(archive) + " 2>" +
                      ShellQuote(dir.File("stderr.txt")));
}

void ExpectListingMatchesPython(const TempDir& dir, const std::string& archive)
{
    SCOPED_TRACE(archive);
    const TCommandResult listed = Driver(archive, dir);
    ASSERT_EQ(listed.ExitCode, 0) << ReadFileBytes(dir.File("stderr.txt"));
    const std::string expected = PythonListing(dir, archive);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(listed.Output, expected);
}

TEST(ZipDriver, ListsInfoZipArchivesLikePython)
{
    TempDir dir;
    MakePeerSourceTree(dir);
    for (const char* level : {"-0", "-9"}) {
        const std::string archive = dir.File(std::string("info") + level + ".zip");
        RunChecked(InFolder(dir, "src", "zip -q -r " + std::string(level) + " " + ShellQuote(archive) + " ."));
        ExpectListingMatchesPython(dir, archive);
    }
    const std::string commented = dir.File("commented.zip");
    RunChecked(InFolder(dir, "src", "zip -q " + ShellQuote(commented) + " readme.txt photos/noise.bin"));
    RunChecked(InFolder(dir, "src", "printf 'first\\nsecond\\n' | zip -q -c " + ShellQuote(commented)));
    RunChecked(InFolder(dir, "src", "printf 'the archive\\n.\\n' | zip -q -z " + ShellQuote(commented)));
    ExpectListingMatchesPython(dir, commented);
}

TEST(ZipDriver, ListsEncryptedAndStreamedInfoZipArchivesLikePython)
{
    TempDir dir;
    MakePeerSourceTree(dir);
    const std::string encrypted = dir.File("encrypted.zip");
    RunChecked(InFolder(dir, "src", "zip -q -r -P secret " + ShellQuote(encrypted) + " ."));
    ExpectListingMatchesPython(dir, encrypted);
    EXPECT_NE(Driver(encrypted, dir).Output.find("\t1\n"), std::string::npos);

    // Written to a pipe, zip cannot seek back: every entry has a data
    // descriptor and zero sizes in its local header.
    const std::string streamed = dir.File("streamed.zip");
    RunChecked(InFolder(dir, "src", "zip -q - readme.txt photos/noise.bin photos/empty.txt | cat > " +
                                 ShellQuote(streamed)));
    ExpectListingMatchesPython(dir, streamed);
}

TEST(ZipDriver, ListsPythonArchivesLikePython)
{
    TempDir dir;
    const std::string archive = dir.File("python.zip");
    RunChecked(PythonCommand(dir, "make.py", PythonSampleArchiveScript, {archive}));
    ExpectListingMatchesPython(dir, archive);
}

TEST(ZipDriver, ListsSevenZipArchivesLikePython)
{
    TempDir dir;
    MakePeerSourceTree(dir);
    const std::string archive = dir.File("seven.zip");
    RunChecked(InFolder(dir, "src", "7zz a -tzip -bd -bso0 " + ShellQuote(archive) + " ."));
    ExpectListingMatchesPython(dir, archive);
}

TEST(ZipDriver, FailsWithTheMessageAndStatusTwo)
{
    TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"ten-bytes.zip", "0123456789", "Incomplete Zip File\n"},
        {"text.zip", std::string(5000, 't'), "Incomplete Zip File\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TCommandResult result = Driver(dir.Write(c.name, c.bytes), dir);
        EXPECT_EQ(result.ExitCode, 2);
        EXPECT_EQ(result.Output, "");
        EXPECT_EQ(ReadFileBytes(dir.File("stderr.txt")), c.message);
    }
    const TCommandResult missing = Driver(dir.File("missing.zip"), dir);
    EXPECT_EQ(missing.ExitCode, 2);
    EXPECT_NE(ReadFileBytes(dir.File("stderr.txt")).find("missing.zip"), std::string::npos);
    EXPECT_EQ(RunCommand(std::string(ZIPDRIVER_PATH) + " 2>/dev/null").ExitCode, 2);
    EXPECT_EQ(RunCommand(std::string(ZIPDRIVER_PATH) + " list 2>/dev/null").ExitCode, 2);
}

TEST(ZipDriver, AnEmptyFileIsAnEmptyArchive)
{
    TempDir dir;
    const TCommandResult result = Driver(dir.Write("empty.zip", ""), dir);
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Output, "");
}

// 2,000 central headers that name one local header: told, and failed.
TEST(ZipDriver, DamageReadPastIsToldWithAFailingStatus)
{
    TempDir dir;
    const std::string archive = dir.File("same.zip");
    RunChecked(PythonCommand(dir, "make.py", R"(import struct, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    for i in range(2000):
        z.writestr("f%05d" % i, "x")
data = bytearray(open(sys.argv[1], "rb").read())
at = data.find(b"PK\x01\x02")
while at >= 0:
    struct.pack_into("<I", data, at + 42, 0)
    at = data.find(b"PK\x01\x02", at + 4)
open(sys.argv[1], "wb").write(data)
)",
                             {archive}));
    for (const std::string& command : {" list " + ShellQuote(archive),
                                      " extract " + ShellQuote(archive) + " " + ShellQuote(dir.File("dest"))}) {
        SCOPED_TRACE(command);
        const TCommandResult result =
            RunCommand(std::string(ZIPDRIVER_PATH) + command + " 2>" + ShellQuote(dir.File("stderr.txt")));
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_NE(ReadFileBytes(dir.File("stderr.txt"))
                      .find("The central directory names the local header of f00000 more than once"),
                  std::string::npos);
    }
}

} // namespace
