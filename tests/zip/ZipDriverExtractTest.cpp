// `zipdriver extract` tells why it left an entry out, one line per entry on
// standard error, and names the file and the system's reason when a file
// cannot take its bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "ArchiveBuilder.h"
#include "CheckByteRefusal.h"
#include "ExtractSupport.h"
#include "FileSizeLimit.h"
#include "PeerArchives.h"
#include "RunCommand.h"
#include "TempDir.h"

namespace {

std::string Driver() { return ZIPDRIVER_PATH; }

std::string Patched(std::string archive, THeaderField field, std::uint32_t value)
{
    PatchFirstEntry(archive, field, value);
    return archive;
}

struct TLeftOutCase {
    const char* Label;
    // Writes the archive in.zip into the test's folder and prepares dest.
    std::function<void(const TempDir& dir)> Prepare;
    const char* Options;
    const char* Message;
};

void WriteArchive(const TempDir& dir, const std::string& bytes) { dir.Write("in.zip", bytes); }

// in.zip holding f.txt locked by `zipdriver create -p right`, made again
// until its check byte refuses password.
void WriteLockedArchiveRefusing(const TempDir& dir, const std::string& password)
{
    const auto make = [&] {
        std::filesystem::remove(dir.File("in.zip"));
        dir.Write("f.txt", "secret text");
        RunChecked("cd " + ShellQuote(dir.Folder()) + " && " + Driver() + " create in.zip -p right f.txt");
        std::filesystem::remove(dir.File("f.txt"));
    };
    EXPECT_TRUE(MadeUntilRefused(make, [&] { return CheckBytesRefuse(dir.File("in.zip"), {password}); }));
}

const std::vector<TLeftOutCase> LeftOutCases = {
    {"refused name",
     [](const TempDir& dir) {
         WriteArchive(dir, BuildStoredArchive({{"../up.txt", "up"}, {"ok.txt", "ok"}}));
     },
     "", "not extracted: ../up.txt (refused name: the name leads out of the destination folder)\n"},
    {"an empty name that holds data, beside a folder entry",
     [](const TempDir& dir) {
         WriteArchive(dir, BuildStoredArchive({{"photos/", ""}, {"", "abcdef"}, {"ok.txt", "ok"}}));
     },
     "", "not extracted:  (refused name: the name is empty)\n"},
    {"symbolic link on the way",
     [](const TempDir& dir) {
         WriteArchive(dir, BuildStoredArchive({{"link/evil.txt", "evil"}, {"ok.txt", "ok"}}));
         std::filesystem::create_directories(dir.File("dest"));
         std::filesystem::create_directory_symlink(dir.File("outside"), dir.File("dest/link"));
     },
     "", "not extracted: link/evil.txt (\"link\" is a symbolic link, which extraction does not follow)\n"},
    {"wrong password", [](const TempDir& dir) { WriteLockedArchiveRefusing(dir, "wrong"); },
     "-p wrong", "not extracted: f.txt (wrong password)\n"},
    {"no password", [](const TempDir& dir) { WriteLockedArchiveRefusing(dir, ""); },
     "", "not extracted: f.txt (no password given)\n"},
    {"the right password, data damaged behind the encryption header",
     [](const TempDir& dir) {
         dir.Write("f.txt", "secret text");
         RunChecked("cd " + ShellQuote(dir.Folder()) + " && " + Driver() + " create in.zip -l 0 -p right f.txt");
         std::filesystem::remove(dir.File("f.txt"));
         std::string archive = ReadFileBytes(dir.File("in.zip"));
         archive[30 + 5 + 12 + 2] ^= 0x01;
         WriteArchive(dir, archive);
     },
     "-p right", "not extracted: f.txt (bad CRC, or a wrong password)\n"},
    {"the right password, the archive ending inside the entry",
     [](const TempDir& dir) {
         dir.Write("f.txt", "secret text");
         RunChecked("cd " + ShellQuote(dir.Folder()) + " && " + Driver() + " create in.zip -l 0 -p right f.txt");
         std::filesystem::remove(dir.File("f.txt"));
         WriteArchive(dir, Patched(ReadFileBytes(dir.File("in.zip")), CompressedSizeField, 1000000));
     },
     "-p right", "not extracted: f.txt (Premature end of file reached)\n"},
    {"bad CRC",
     [](const TempDir& dir) {
         WriteArchive(dir, Patched(BuildStoredArchive({{"f.txt", "abcdef"}, {"ok.txt", "ok"}}), CrcField, 1));
     },
     "", "not extracted: f.txt (bad CRC)\n"},
    {"more data than the size stored",
     [](const TempDir& dir) {
         WriteArchive(dir,
                      Patched(BuildStoredArchive({{"f.txt", "abcdef"}, {"ok.txt", "ok"}}), UncompressedSizeField, 3));
     },
     "", "not extracted: f.txt (size mismatch: more than the 3 bytes stored)\n"},
    {"less data than the size stored",
     [](const TempDir& dir) {
         WriteArchive(dir,
                      Patched(BuildStoredArchive({{"f.txt", "abcdef"}, {"ok.txt", "ok"}}), UncompressedSizeField, 10));
     },
     "", "not extracted: f.txt (size mismatch: 6 bytes, 10 stored)\n"},
    {"deflated data cut short",
     [](const TempDir& dir) {
         // Three entries from Python's zipfile; the first one's compressed
         // size halved in both its headers, so its data end early.
         RunChecked(PythonCommand(dir, "make.py", R"(import random, sys, zipfile
random.seed(5)
text = "".join(random.choice("abcdefgh ") for _ in range(60000))
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    for name in ("a.txt", "b.txt", "c.txt"):
        z.writestr(name, text)
)",
                                  {dir.File("in.zip")}));
         std::string archive = ReadFileBytes(dir.File("in.zip"));
         const auto* size = reinterpret_cast<const std::uint8_t*>(archive.data()) + CompressedSizeField.Local;
         WriteArchive(dir, Patched(archive, CompressedSizeField, GetU32(size) / 2));
     },
     "", "not extracted: a.txt (Premature end of file reached)\n"},
    {"exists",
     [](const TempDir& dir) {
         WriteArchive(dir, BuildStoredArchive({{"f.txt", "new"}, {"ok.txt", "ok"}}));
         dir.Write("dest/f.txt", "old");
     },
     "-o never", "not extracted: f.txt (exists)\n"},
};

TEST(ZipDriverExtract, SaysWhyAnEntryWasLeftOut)
{
    for (const TLeftOutCase& c : LeftOutCases) {
        SCOPED_TRACE(c.Label);
        TempDir dir;
        std::filesystem::create_directories(dir.File("outside"));
        c.Prepare(dir);
        const TCommandResult result =
            RunCommand(Driver() + " extract " + ShellQuote(dir.File("in.zip")) + " " + ShellQuote(dir.File("dest")) +
                       " " + c.Options + " 2>" + ShellQuote(dir.File("err")));
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(ReadFileBytes(dir.File("err")), c.Message);
        EXPECT_TRUE(std::filesystem::is_empty(dir.File("outside")));
    }
}

// One line for a destination whose parent is a file, whatever the entries;
// a pipe is refused as an archive with why.
TEST(ZipDriverExtract, ADestinationThatCannotBeMadeAndAPipeAreToldOnceWithWhy)
{
    TempDir dir;
    const std::string archive =
        dir.Write("in.zip", BuildStoredArchive({{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}}));
    dir.Write("file", "x");
    TCommandResult result = RunCommand(Driver() + " extract " + ShellQuote(archive) + " " +
                                       ShellQuote(dir.File("file/dest")) + " 2>" + ShellQuote(dir.File("err")));
    EXPECT_EQ(result.ExitCode, 2);
    EXPECT_EQ(ReadFileBytes(dir.File("err")), "cannot make the destination " + dir.File("file/dest") + ": Not a directory\n");

    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    result = RunCommand("(cat " + ShellQuote(archive) + " > " + ShellQuote(dir.File("pipe")) + " &); " + Driver() +
                        " extract " + ShellQuote(dir.File("pipe")) + " " + ShellQuote(dir.File("dest")) + " 2>" +
                        ShellQuote(dir.File("err")) + "; cat " + ShellQuote(dir.File("pipe")) + " > /dev/null");
    EXPECT_EQ(ReadFileBytes(dir.File("err")), dir.File("pipe") + ": an archive must be a file one can seek in\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("dest")));
}

// What cannot be read as an archive is said, and no destination is made.
TEST(ZipDriverExtract, AnArchiveThatCannotBeReadMakesNoDestination)
{
    const struct {
        const char* Label;
        std::function<void(const TempDir& dir)> Prepare;
        std::string Message;
    } cases[] = {
        {"missing", [](const TempDir&) {}, "Cannot open file \"in.zip\". No such file or directory\n"},
        {"not an archive", [](const TempDir& dir) { dir.Write("in.zip", "hello\n"); }, "Incomplete Zip File\n"},
        {"cut before its directory",
         [](const TempDir& dir) { dir.Write("in.zip", BuildStoredArchive({{"a.txt", "a"}}).substr(0, 20)); },
         "Incomplete Zip File\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Label);
        TempDir dir;
        c.Prepare(dir);
        const TCommandResult result = RunCommand("cd " + ShellQuote(dir.Folder()) + " && " + Driver() +
                                                 " extract in.zip dest 2>err");
        EXPECT_EQ(result.ExitCode, 2);
        EXPECT_EQ(ReadFileBytes(dir.File("err")), c.Message);
        EXPECT_FALSE(std::filesystem::exists(dir.File("dest")));
    }
}

TEST(ZipDriverExtract, AFileThatCannotBeWrittenIsNamedWithTheSystemsReason)
{
    TempDir dir;
    const std::string archive =
        dir.Write("in.zip", BuildStoredArchive({{"small.txt", "small"}, {"big.bin", std::string(100000, 'b')}}));
    const std::string dest = dir.File("dest");
    TCommandResult result;
    {
        FileSizeLimit limit(40000);
        result = RunCommand(Driver() + " extract " + ShellQuote(archive) + " " + ShellQuote(dest) + " 2>" +
                            ShellQuote(dir.File("err")));
    }
    EXPECT_EQ(result.ExitCode, 2);
    EXPECT_EQ(ReadFileBytes(dir.File("err")),
              "Cant write uncompressed file (cannot write \"" + dest + "/big.bin\": File too large)\n");
    EXPECT_EQ(TreeNames(ReadTree(dest)), "small.txt ");
}

// Patterns after the options choose the entries, as the reader's FilesList
// takes them; a pattern of many stars is decided at once even against a
// name as long as an archive holds, and the entries it leaves are not
// reported as left out.
TEST(ZipDriverExtract, PatternsChooseTheEntries)
{
    TempDir dir;
    const std::string archive = dir.Write(
        "in.zip", BuildStoredArchive({{std::string(0xFFF0, 'a'), "long"}, {"aaaaa.jpg", "pic"}, {"sub/b.JPG", "b"},
                                      {"notes.txt", "notes"}}));
    const std::string dest = dir.File("dest");
    const TCommandResult result = RunCommand(Driver() + " extract " + ShellQuote(archive) + " " + ShellQuote(dest) +
                                             " -o never '*a*a*a*a*a*.jpg' 'sub/*' 2>" + ShellQuote(dir.File("err")));
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("err")), "");
    EXPECT_EQ(TreeNames(ReadTree(dest)), "aaaaa.jpg sub/ sub/b.JPG ");
}

// A PATTERN that chooses no entry is named, as unzip's "filename not
// matched", and the exit status says so; the others are extracted.
TEST(ZipDriverExtract, NamesEachPatternThatChoseNothing)
{
    TempDir dir;
    const std::string archive = dir.Write("in.zip", BuildStoredArchive({{"a.txt", "a"}, {"sub/b.txt", "b"}}));
    const std::string dest = dir.File("dest");
    const TCommandResult result = RunCommand(Driver() + " extract " + ShellQuote(archive) + " " + ShellQuote(dest) +
                                             " nosuch.txt 'A*' 'zz*' 2>" + ShellQuote(dir.File("err")));
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(ReadFileBytes(dir.File("err")), "not matched: nosuch.txt\nnot matched: zz*\n");
    EXPECT_EQ(TreeNames(ReadTree(dest)), "a.txt ");
}

// An entry of a method the engine lacks, as 7-Zip writes them, is named once
// with its method, and the entries after it are extracted.
TEST(ZipDriverExtract, AnUnsupportedMethodIsNamedOnce)
{
    const struct {
        const char* options;
        int method;
    } cases[] = {
        {"-mm=Deflate64", 9}, {"-mm=BZip2", 12}, {"-mm=LZMA", 14}, {"-mem=AES256 -psecret", 99}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        TempDir dir;
        dir.Write("src/f.txt", std::string(5000, 'f'));
        dir.Write("src/ok.txt", std::string(5000, 'o'));
        const std::string seven = "cd " + ShellQuote(dir.File("src")) + " && 7zz a -tzip -bd -bso0 ../seven.zip ";
        RunChecked(seven + c.options + " f.txt");
        RunChecked(seven + "-mm=Deflate ok.txt");
        const TCommandResult result =
            RunCommand(Driver() + " extract " + ShellQuote(dir.File("seven.zip")) + " " + ShellQuote(dir.File("dest")) +
                       " -p secret 2>" + ShellQuote(dir.File("err")));
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(ReadFileBytes(dir.File("err")),
                  "not extracted: f.txt (unsupported compression method " + std::to_string(c.method) + ")\n");
        EXPECT_EQ(TreeNames(ReadTree(dir.File("dest"))), "ok.txt ");
    }
}

// A line that names an entry (its folder and name, A to Z in any case) is
// that entry, whatever characters it holds, as a FILE of `create` is that
// file; only a line that names no entry is a pattern.
TEST(ZipDriverExtract, ALineThatNamesAnEntryIsThatEntry)
{
    TempDir dir;
    const std::string archive =
        dir.Write("in.zip", BuildStoredArchive({{"Best <2024>.jpg", "exact"}, {"Best 2.jpg", "set"},
                                                {"Kids?.jpg", "kids"}, {"KidsA.jpg", "other kids"},
                                                {"a*b/c.txt", "starred folder"}, {"aXb/c.txt", "plain folder"}}));
    const struct {
        const char* lines;
        const char* extracted;
    } cases[] = {
        {"'Best <2024>.jpg'", "Best <2024>.jpg "},
        {"'best <2024>.JPG'", "Best <2024>.jpg "},
        {"'Kids?.jpg'", "Kids?.jpg "},
        {"'a*b/c.txt'", "a*b/ a*b/c.txt "},
        // Naming no entry, these stay patterns.
        {"'Best <0-9>.jpg'", "Best 2.jpg "},
        {"'Kid?*.jpg'", "Kids?.jpg KidsA.jpg "},
        {"'Kids?.jpg' 'a?b/*'", "Kids?.jpg a*b/ a*b/c.txt aXb/ aXb/c.txt "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        const std::string dest = dir.File("dest");
        std::filesystem::remove_all(dest);
        const TCommandResult result = RunCommand(Driver() + " extract " + ShellQuote(archive) + " " + ShellQuote(dest) +
                                                 " " + c.lines + " 2>" + ShellQuote(dir.File("err")));
        EXPECT_EQ(result.ExitCode, 0);
        EXPECT_EQ(ReadFileBytes(dir.File("err")), "");
        EXPECT_EQ(TreeNames(ReadTree(dest)), c.extracted);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("dest/a*b/c.txt")), "starred folder");
}

} // namespace
