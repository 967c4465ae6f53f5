// `zipdriver create`: new and existing archives, recursion, exclusions,
// levels and passwords, checked by the peers; exit status 2 on errors.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <map>
#include <string>

#include "ExtractSupport.h"
#include "FolderChain.h"
#include "PeerCheck.h"
#include "RunCommand.h"
#include "TempDir.h"
#include "ZipReader.h"

namespace {

TCommandResult Create(const TempDir& dir, const std::string& arguments)
{
    return RunCommand("cd " + ShellQuote(dir.Folder()) + " && " + ZIPDRIVER_PATH + " create " + arguments +
                      " 2>" + ShellQuote(dir.File("stderr.txt")));
}

std::map<std::string, std::string> MakeSource(const TempDir& dir)
{
    std::map<std::string, std::string> files = {
        {"src/readme.txt", std::string(4000, 'r')},
        {"src/.hidden", "dot"},
        {"src/photos/a.jpg", std::string(3000, '\x7f')},
        {"src/photos/skip.tmp", "temporary"},
        {"src/empty", ""},
    };
    for (const auto& [name, contents] : files)
        dir.Write(name, contents);
    files.erase("src/photos/skip.tmp");
    return files;
}

TEST(ZipDriverCreate, ZipsFoldersRecursivelyWithExclusions)
{
    for (const std::string options : {"-l 0", "-l 9", "-p secret"}) {
        SCOPED_TRACE(options);
        TempDir dir;
        const auto files = MakeSource(dir);
        const TCommandResult result = Create(dir, "out.zip " + options + " -r -x '*.tmp' src");
        ASSERT_EQ(result.ExitCode, 0) << ReadFileBytes(dir.File("stderr.txt"));
        const std::string password = options.starts_with("-p") ? "secret" : "";
        ExpectPeersAccept(dir, dir.File("out.zip"), password);
        EXPECT_EQ(PythonEntries(dir, dir.File("out.zip"), password), files);
    }
}

TEST(ZipDriverCreate, AddsToAnExistingArchive)
{
    TempDir dir;
    auto files = MakeSource(dir);
    ASSERT_EQ(Create(dir, "out.zip src/readme.txt 'src/photos/*.jpg'").ExitCode, 0);
    dir.Write("later.txt", "later");
    ASSERT_EQ(Create(dir, "out.zip later.txt").ExitCode, 0);
    ExpectPeersAccept(dir, dir.File("out.zip"));
    EXPECT_EQ(PythonEntries(dir, dir.File("out.zip")),
              (std::map<std::string, std::string>{{"src/readme.txt", files["src/readme.txt"]},
                                                  {"src/photos/a.jpg", files["src/photos/a.jpg"]},
                                                  {"later.txt", "later"}}));
}

// Names as Linux allows them: a file or folder named with the characters of
// wildcard patterns is zipped as itself.
TEST(ZipDriverCreate, ZipsFilesAndFoldersNamedWithPatternCharacters)
{
    TempDir dir;
    dir.Write("a<b>.txt", "angle");
    dir.Write("ab.txt", "plain");
    dir.Write("Best <2024>/day?/in.txt", "deep");
    dir.Write("Best 12024>/out.txt", "other");
    const TCommandResult result = Create(dir, "out.zip -r 'a<b>.txt' 'Best <2024>'");
    ASSERT_EQ(result.ExitCode, 0) << ReadFileBytes(dir.File("stderr.txt"));
    ExpectPeersAccept(dir, dir.File("out.zip"));
    EXPECT_EQ(PythonEntries(dir, dir.File("out.zip")),
              (std::map<std::string, std::string>{{"a<b>.txt", "angle"}, {"Best <2024>/day?/in.txt", "deep"}}));
}

// Names as Linux allows them: "\\" is a character of a name, and a name's
// bytes need not be UTF-8. Each reads back as it was written by this
// reader, Info-ZIP's unzip and 7-Zip, and by Python where it is UTF-8
// (Python reads other unflagged bytes as CP437). An ASCII name without "\\"
// is still made on MS-DOS, as every album entry always was.
TEST(ZipDriverCreate, ALinuxNameReadsBackAsItWasWritten)
{
    TempDir dir;
    const std::map<std::string, std::string> files = {
        {"a\\b.txt", "backslash"}, {"x\\y/z.txt", "in a folder with a backslash"},
        {"naïve.txt", "UTF-8"},     {"caf\xE9.txt", "Latin-1 byte"},
        {"plain.txt", "ASCII"},
    };
    for (const auto& [name, contents] : files)
        dir.Write("src/" + name, contents);
    const TCommandResult result = Create(dir, "out.zip -r src");
    ASSERT_EQ(result.ExitCode, 0) << ReadFileBytes(dir.File("stderr.txt"));
    const std::string archive = dir.File("out.zip");
    ExpectPeersAccept(dir, archive);

    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(archive);
    reader.ReadZip();
    ASSERT_EQ(reader.GetCount(), static_cast<int>(files.size()));
    for (int i = 0; i < reader.GetCount(); ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        SCOPED_TRACE(entry.FullName());
        ASSERT_TRUE(files.contains(entry.FullName().substr(4)));
        EXPECT_EQ(entry.HostSystem(), entry.FullName() == "src/plain.txt" ? HostMsDos : HostUnix);
    }

    const auto namesAndBytes = [](const TTree& tree) {
        std::map<std::string, std::string> found;
        for (const auto& [name, item] : tree)
            if (!item.Folder)
                found[name] = item.Bytes;
        return found;
    };
    std::map<std::string, std::string> expected;
    for (const auto& [name, contents] : files)
        expected["src/" + name] = contents;
    RunChecked(std::string(ZIPDRIVER_PATH) + " extract " + ShellQuote(archive) + " " + ShellQuote(dir.File("ours")));
    EXPECT_EQ(namesAndBytes(ReadTree(dir.File("ours"))), expected);
    RunChecked("unzip -q " + ShellQuote(archive) + " -d " + ShellQuote(dir.File("unzip")));
    EXPECT_EQ(namesAndBytes(ReadTree(dir.File("unzip"))), expected);
    RunChecked("7zz x -bd -y -o" + ShellQuote(dir.File("7zip")) + " " + ShellQuote(archive) + " >/dev/null");
    EXPECT_EQ(namesAndBytes(ReadTree(dir.File("7zip"))), expected);
    std::map<std::string, std::string> python = PythonEntries(dir, archive);
    EXPECT_EQ(python.erase("src/caf\u0398.txt"), 1u) << "0xE9 is CP437's capital theta";
    expected.erase("src/caf\xE9.txt");
    EXPECT_EQ(python, expected);
}

// A tree deeper than any fixed limit is stored whole, as "zip -r" stores it.
TEST(ZipDriverCreate, StoresATreeAsDeepAsItGoes)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("src"));
    MakeFolderChain(dir.File("src"), 120, 1);
    const TCommandResult result = Create(dir, "out.zip -r src");
    ASSERT_EQ(result.ExitCode, 0) << ReadFileBytes(dir.File("stderr.txt"));
    ExpectPeersAccept(dir, dir.File("out.zip"));
    RunChecked("cd " + ShellQuote(dir.Folder()) + " && zip -q -r -D peer.zip src");
    const std::map<std::string, std::string> ours = PythonEntries(dir, dir.File("out.zip"));
    EXPECT_EQ(ours.size(), 121u);
    EXPECT_EQ(ours, PythonEntries(dir, dir.File("peer.zip")));
}

// Where a path passes what the system takes, the files below cannot be
// read: they are left out, the folder is named with the system's reason,
// and the exit status says that something is missing.
TEST(ZipDriverCreate, NamesTheFolderTooDeepForTheSystem)
{
    TempDir dir;
    const std::string chain = dir.File("chain");
    std::filesystem::create_directory(chain);
    MakeFolderChain(chain, 30, 200);
    const TCommandResult result = Create(dir, "out.zip -r chain");
    const std::string errors = ReadFileBytes(dir.File("stderr.txt"));
    const std::map<std::string, std::string> stored = PythonEntries(dir, dir.File("out.zip"));
    RemoveDeepTree(chain);

    EXPECT_EQ(result.ExitCode, 1);
    const std::string folder(200, 'd');
    std::string tooDeep = "chain/";
    while (tooDeep.size() + folder.size() <= PATH_MAX)
        tooDeep += folder + "/";
    tooDeep += folder;
    EXPECT_EQ(errors, "not zipped: " + tooDeep + " (File name too long)\n");
    // The file of each folder above the one named.
    EXPECT_EQ(stored.size(), static_cast<std::size_t>(std::count(tooDeep.begin(), tooDeep.end(), '/')));
}

// What is no regular file or folder is left out, walked or named, and named
// with what it is; links to folders are not followed, so a link round to
// its own folder ends the walk as any other.
TEST(ZipDriverCreate, NamesEachFileItWillNotStore)
{
    TempDir dir;
    dir.Write("s/f.txt", "f");
    std::filesystem::create_symlink("nowhere", dir.File("s/dangling"));
    std::filesystem::create_directory_symlink(".", dir.File("s/round"));
    ASSERT_EQ(::mkfifo(dir.File("s/fifo").c_str(), 0600), 0);
    const struct {
        const char* arguments;
        const char* errors;
    } cases[] = {
        {"-r s",
         "not zipped: s/dangling (a symbolic link to nothing)\n"
         "not zipped: s/fifo (a FIFO, not a regular file)\n"
         "not zipped: s/round (a symbolic link to a folder, which is not followed)\n"},
        {"s/fifo s/f.txt", "not zipped: s/fifo (a FIFO, not a regular file)\n"},
        {"s/dangling s/f.txt", "not zipped: s/dangling (a symbolic link to nothing)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::filesystem::remove(dir.File("out.zip"));
        const TCommandResult result = Create(dir, std::string("out.zip ") + c.arguments);
        EXPECT_EQ(result.ExitCode, 1);
        EXPECT_EQ(ReadFileBytes(dir.File("stderr.txt")), c.errors);
        EXPECT_EQ(PythonEntries(dir, dir.File("out.zip")), (std::map<std::string, std::string>{{"s/f.txt", "f"}}));
    }
}

// When nothing could be zipped no archive is made, and an existing one
// stays as it was.
TEST(ZipDriverCreate, NothingToZipWritesNoArchive)
{
    TempDir dir;
    dir.Write("a.txt", "a");
    std::filesystem::create_symlink("nowhere", dir.File("dangling"));
    EXPECT_EQ(Create(dir, "new.zip dangling missing.txt").ExitCode, 1);
    EXPECT_EQ(ReadFileBytes(dir.File("stderr.txt")),
              "not zipped: dangling (a symbolic link to nothing)\nnot zipped: missing.txt (no such file)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.zip")));

    ASSERT_EQ(Create(dir, "old.zip a.txt").ExitCode, 0);
    const std::string before = ReadFileBytes(dir.File("old.zip"));
    EXPECT_EQ(Create(dir, "old.zip dangling").ExitCode, 1);
    EXPECT_EQ(ReadFileBytes(dir.File("old.zip")), before);
}

// A pattern, or a folder in one, that names nothing is told and fails; an
// empty folder walked with -r is no fault.
TEST(ZipDriverCreate, APatternThatMatchesNothingIsNamed)
{
    TempDir dir;
    dir.Write("a.txt", "a");
    std::filesystem::create_directories(dir.File("empty"));
    EXPECT_EQ(Create(dir, "c.zip 'nomatch*' 'nofolder/*.txt'").ExitCode, 1);
    EXPECT_EQ(ReadFileBytes(dir.File("stderr.txt")),
              "not zipped: nomatch* (no such file)\nnot zipped: nofolder/*.txt (no such file)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("c.zip")));
    EXPECT_EQ(Create(dir, "d.zip -r empty a.txt").ExitCode, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("stderr.txt")), "");
}

// A level is one digit; a word beginning with "-" before "--" is an option.
TEST(ZipDriverCreate, ABadOptionGivesTheUsage)
{
    TempDir dir;
    dir.Write("a.txt", "a");
    for (const char* options : {"-l abc", "-l 42", "-l -3", "-l ''", "-l 5x", "-z"}) {
        SCOPED_TRACE(options);
        const TCommandResult result = Create(dir, std::string("out.zip ") + options + " a.txt");
        EXPECT_EQ(result.ExitCode, 2);
        EXPECT_TRUE(ReadFileBytes(dir.File("stderr.txt")).starts_with("usage:\n"))
            << ReadFileBytes(dir.File("stderr.txt"));
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.zip")));
    }
}

// After "--" every word is a FILE or PATTERN, also one that begins with "-".
TEST(ZipDriverCreate, DoubleDashEndsTheOptions)
{
    TempDir dir;
    dir.Write("-r", "dash r");
    dir.Write("-m.txt", "dash m");
    ASSERT_EQ(Create(dir, "out.zip -l 9 -- -r -m.txt").ExitCode, 0) << ReadFileBytes(dir.File("stderr.txt"));
    EXPECT_EQ(PythonEntries(dir, dir.File("out.zip")),
              (std::map<std::string, std::string>{{"-r", "dash r"}, {"-m.txt", "dash m"}}));
    const TCommandResult extracted = RunCommand(std::string(ZIPDRIVER_PATH) + " extract " +
                                                ShellQuote(dir.File("out.zip")) + " " + ShellQuote(dir.File("dest")) +
                                                " -o never -- -m.txt 2>" + ShellQuote(dir.File("stderr.txt")));
    EXPECT_EQ(extracted.ExitCode, 0) << ReadFileBytes(dir.File("stderr.txt"));
    EXPECT_EQ(TreeNames(ReadTree(dir.File("dest"))), "-m.txt ");
}

TEST(ZipDriverCreate, ErrorsExitWithStatusTwo)
{
    TempDir dir;
    dir.Write("a.txt", "a");
    EXPECT_EQ(Create(dir, "missing/out.zip a.txt").ExitCode, 2);
    EXPECT_FALSE(ReadFileBytes(dir.File("stderr.txt")).empty());
    EXPECT_EQ(Create(dir, "out.zip").ExitCode, 2);
    EXPECT_EQ(Create(dir, "out.zip -l").ExitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.zip")));
}

} // namespace
