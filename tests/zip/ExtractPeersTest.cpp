// Extraction of archives made by peer tools, against `unzip -d` on the same
// archive: the same files with the same bytes, modification times and
// permission bits.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "CheckByteRefusal.h"
#include "ExtractSupport.h"
#include "PeerArchives.h"
#include "RunCommand.h"
#include "SampleData.h"
#include "TempDir.h"
#include "ZipReader.h"

namespace {

std::string Text(std::size_t size)
{
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += "line " + std::to_string(line) + " of a text that repeats itself, mostly\n";
    return text;
}

// Text, incompressible bytes, an empty file and a file of several 32 KB
// blocks, in folders, some with unusual permission bits. Every file dates
// from an even second, which the MS-DOS time holds exactly.
void MakeSourceTree(const TempDir& dir)
{
    dir.Write("src/readme.txt", Text(3000));
    dir.Write("src/empty.txt", "");
    dir.Write("src/photos/noise.bin", RandomByteString(70000, 7));
    dir.Write("src/photos/2024/big.txt", Text(300000) + RandomByteString(5000, 3));
    dir.Write("src/café.txt", "accent\n");
    dir.Write("src/run.sh", "#!/bin/sh\necho hi\n");
    RunChecked("chmod 0755 " + ShellQuote(dir.File("src/run.sh")));
    RunChecked("chmod 0600 " + ShellQuote(dir.File("src/photos/noise.bin")));
    RunChecked("find " + ShellQuote(dir.File("src")) + " -type f -exec touch -d '2021-06-15 12:34:56' {} +");
}

struct TPeer {
    const char* Label;
    std::string Command; // run in the source folder; ARCHIVE is the archive's name
    std::string Password;
};

std::vector<TPeer> Peers()
{
    std::vector<TPeer> peers;
    for (int level = 0; level <= 9; ++level)
        peers.push_back({"zip", "zip -q -r -" + std::to_string(level) + " ARCHIVE .", ""});
    peers.push_back({"zip -P", "zip -q -r -P secret ARCHIVE .", "secret"});
    peers.push_back({"streamed zip", "zip -q -r - . | cat > ARCHIVE", ""});
    peers.push_back({"streamed zip -P", "zip -q -r -P secret - . | cat > ARCHIVE", "secret"});
    for (int level = 0; level <= 9; ++level)
        peers.push_back({"python",
                         "python3 -c 'import os, sys, zipfile\n"
                         "level = " + std::to_string(level) + "\n"
                         "method = zipfile.ZIP_STORED if level == 0 else zipfile.ZIP_DEFLATED\n"
                         "with zipfile.ZipFile(sys.argv[1], \"w\", method, compresslevel=level or None) as z:\n"
                         "    for folder, subs, files in sorted(os.walk(\".\")):\n"
                         "        for name in sorted(subs + files):\n"
                         "            z.write(os.path.join(folder, name))\n"
                         "' ARCHIVE",
                         ""});
    peers.push_back({"7zz deflate", "7zz a -tzip -bso0 -bsp0 ARCHIVE .", ""});
    peers.push_back({"7zz stored", "7zz a -tzip -mm=Copy -bso0 -bsp0 ARCHIVE .", ""});
    peers.push_back({"7zz ZipCrypto", "7zz a -tzip -psecret -mem=ZipCrypto -bso0 -bsp0 ARCHIVE .", "secret"});
    return peers;
}

std::string WithArchive(std::string command, const std::string& archive)
{
    const std::string placeholder = "ARCHIVE";
    command.replace(command.find(placeholder), placeholder.size(), ShellQuote(archive));
    return command;
}

TEST(ExtractPeers, EveryPeerArchiveExtractsLikeUnzip)
{
    TempDir dir;
    MakeSourceTree(dir);
    int number = 0;
    for (const TPeer& peer : Peers()) {
        const std::string label = std::string(peer.Label) + " #" + std::to_string(number);
        SCOPED_TRACE(label + ": " + peer.Command);
        const std::string archive = dir.File("a" + std::to_string(number) + ".zip");
        const std::string ours = dir.File("ours" + std::to_string(number));
        const std::string theirs = dir.File("unzip" + std::to_string(number));
        ++number;
        RunChecked(InFolder(dir, "src", WithArchive(peer.Command, archive)));
        RunChecked("LC_ALL=C.UTF-8 unzip -q -P " + ShellQuote(peer.Password) + " -d " + ShellQuote(theirs) + " " +
                   ShellQuote(archive));

        TZipReader reader;
        SetUpExtraction(reader, archive, ours);
        reader.Password = peer.Password;
        TEventLog log(reader);
        const int extracted = reader.UnZipToDestDir();
        EXPECT_EQ(extracted, reader.GetCount()) << log.Text();

        const TTree expected = ReadTree(theirs);
        const TTree actual = ReadTree(ours);
        ASSERT_EQ(TreeNames(actual), TreeNames(expected));
        for (const auto& [name, item] : expected) {
            SCOPED_TRACE(name);
            const TTreeItem& got = actual.at(name);
            EXPECT_EQ(got.Folder, item.Folder);
            EXPECT_TRUE(got.Bytes == item.Bytes);
            EXPECT_EQ(got.ModTime, item.ModTime);
            EXPECT_EQ(got.Mode, item.Mode);
        }
    }
}

TEST(ExtractPeers, DriverExtractsAndReportsWhatItLeftOut)
{
    TempDir dir;
    MakeSourceTree(dir);
    const std::string archive = dir.File("p.zip");
    RunChecked(InFolder(dir, "src", "zip -q -r -P secret " + ShellQuote(archive) + " ."));
    const std::string driver = std::string(ZIPDRIVER_PATH) + " extract " + ShellQuote(archive) + " ";

    const TCommandResult right =
        RunCommand(driver + ShellQuote(dir.File("right")) + " -p secret -o always 2>" + ShellQuote(dir.File("err")));
    EXPECT_EQ(right.ExitCode, 0) << ReadFileBytes(dir.File("err"));
    RunChecked("unzip -q -P secret -d " + ShellQuote(dir.File("unzip")) + " " + ShellQuote(archive));
    EXPECT_EQ(ReadTree(dir.File("right")), ReadTree(dir.File("unzip")));

    // Again without -o: every file exists, so none is overwritten.
    const TCommandResult again = RunCommand(driver + ShellQuote(dir.File("right")) + " -p secret 2>" +
                                            ShellQuote(dir.File("err")));
    EXPECT_EQ(again.ExitCode, 1);
    EXPECT_NE(ReadFileBytes(dir.File("err")).find("not extracted: readme.txt"), std::string::npos);

    // A password that every entry's check byte refuses, which a wrong one
    // passes by chance 1 time in 256 for each entry.
    const std::optional<std::string> nonsense = PasswordTheCheckBytesRefuse(archive, "nonsense");
    ASSERT_TRUE(nonsense);
    const TCommandResult wrong = RunCommand(driver + ShellQuote(dir.File("wrong")) + " -p " + ShellQuote(*nonsense) +
                                            " 2>" + ShellQuote(dir.File("err")));
    EXPECT_EQ(wrong.ExitCode, 1);
    EXPECT_NE(ReadFileBytes(dir.File("err")).find("not extracted: photos/2024/big.txt"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("wrong/readme.txt")));

    EXPECT_EQ(RunCommand(driver + ShellQuote(dir.File("x")) + " -q 2>/dev/null").ExitCode, 2);
    EXPECT_EQ(RunCommand(std::string(ZIPDRIVER_PATH) + " extract " + ShellQuote(dir.File("missing.zip")) + " " +
                         ShellQuote(dir.File("x")) + " 2>/dev/null")
                  .ExitCode,
              2);
}

} // namespace
