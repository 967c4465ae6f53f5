// `zipdriver create`: new and existing archives, recursion, exclusions,
// levels and passwords, checked by the peers; exit status 2 on errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "PeerCheck.h"
#include "RunCommand.h"
#include "TempDir.h"

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
