// `zipdriver extract` ended while it writes an entry: by SIGKILL, by a
// signal it catches (SIGTERM, SIGINT, SIGHUP) or by a file size limit. No
// file is ever left under an entry's name unless it is whole, no temporary
// is left after what can be caught, and a second run that keeps existing
// files (-o never) extracts the entry whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ArchiveBuilder.h"
#include "ExtractSupport.h"
#include "PeerArchives.h"
#include "RunCommand.h"
#include "SampleData.h"
#include "TempDir.h"

namespace {

std::string Driver() { return ZIPDRIVER_PATH; }

// Random letters of a small alphabet: data that deflate shrinks to about
// half, slowly enough to be caught at it.
std::string Letters(std::size_t size, std::uint32_t seed)
{
    std::string text = RandomByteString(size, seed);
    for (char& c : text)
        c = static_cast<char>('a' + (static_cast<unsigned char>(c) & 15));
    return text;
}

struct TArchiveCase {
    const char* Label;
    std::function<std::vector<TTestEntry>()> Entries;
    // Written by Python's zipfile, deflated; else stored, by the builder.
    bool Deflated;
};

const std::vector<TArchiveCase> ArchiveCases = {
    {"one stored entry of 32 MB",
     [] {
         return std::vector<TTestEntry>{{"big.bin", RandomByteString(32 << 20, 1)}};
     },
     false},
    {"one deflated entry of 32 MB",
     [] {
         return std::vector<TTestEntry>{{"big.txt", Letters(32 << 20, 2)}};
     },
     true},
    // Small enough to be decoded ahead by helpers; the run writes them.
    {"eight stored entries of 4 MB, decoded ahead",
     [] {
         std::vector<TTestEntry> entries;
         for (int i = 0; i < 8; ++i)
             entries.push_back({"part" + std::to_string(i) + ".bin", RandomByteString(4 << 20, 10 + i)});
         return entries;
     },
     false},
};

std::string WriteArchive(const TempDir& dir, const TArchiveCase& c, const std::vector<TTestEntry>& entries)
{
    if (!c.Deflated)
        return dir.Write("in.zip", BuildStoredArchive(entries));
    std::vector<std::string> arguments = {dir.File("in.zip")};
    for (const TTestEntry& entry : entries)
        arguments.push_back(dir.Write("src/" + entry.Name, entry.Data));
    RunChecked(PythonCommand(dir, "make.py", R"(import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
    for name in sys.argv[2:]:
        z.write(name, os.path.basename(name))
)",
                             arguments));
    return dir.File("in.zip");
}

// How the extraction ends: a signal sent once it writes, or a file size
// limit (bytes) that it runs into.
struct TEnding {
    const char* Label;
    int Signal;
    rlim_t FileSizeLimit;
};

const std::vector<TEnding> Endings = {
    {"SIGKILL", SIGKILL, 0}, {"SIGTERM", SIGTERM, 0},           {"SIGINT", SIGINT, 0},
    {"SIGHUP", SIGHUP, 0},   {"a file size limit", 0, 3 << 20},
};

// The environment of a driver run: this process's own, on file systems
// without unnamed files when asked (files/UnnamedFile.h).
std::vector<std::string> DriverEnvironment(bool withoutUnnamedFiles)
{
    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable)
        environment.emplace_back(*variable);
    if (withoutUnnamedFiles)
        environment.push_back(std::string("LD_PRELOAD=") + NO_UNNAMED_FILES_LIBRARY);
    return environment;
}

// Starts `zipdriver extract archive dest`, standard error into errors, with
// the signals at their defaults, as a user's shell starts it.
pid_t StartExtraction(const std::string& archive, const std::string& dest, const std::string& errors,
                      rlim_t fileSizeLimit, bool withoutUnnamedFiles)
{
    const std::string driver = Driver();
    const std::vector<std::string> environment = DriverEnvironment(withoutUnnamedFiles);
    std::vector<char*> variables;
    for (const std::string& variable : environment)
        variables.push_back(const_cast<char*>(variable.c_str()));
    variables.push_back(nullptr);
    const char* const arguments[] = {"zipdriver", "extract", archive.c_str(), dest.c_str(), nullptr};
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    // Only calls that are safe after fork in a process with threads.
    const int errorFile = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(errorFile, 2);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ})
        ::signal(signal, SIG_DFL);
    if (fileSizeLimit != 0) {
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execve(driver.c_str(), const_cast<char* const*>(arguments), variables.data());
    ::_exit(127);
}

// The file below folder that the process has open with bytes in it: an
// entry being written, which has no name there yet, or a hidden name; empty
// when there is none.
std::string WrittenBelow(pid_t process, const std::string& folder)
{
    std::error_code error;
    const std::filesystem::path descriptors = "/proc/" + std::to_string(process) + "/fd";
    for (const auto& descriptor : std::filesystem::directory_iterator(descriptors, error)) {
        const std::string target = std::filesystem::read_symlink(descriptor.path(), error).string();
        struct stat info {};
        if (target.starts_with(folder + "/") && ::stat(descriptor.path().c_str(), &info) == 0 &&
            S_ISREG(info.st_mode) && info.st_size > 0)
            return target;
    }
    return "";
}

// Waits until the process writes below folder and sends it signal then; the
// file it wrote, empty when it ended first.
std::string SignalOnceWriting(pid_t process, const std::string& folder, int signal)
{
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string written = WrittenBelow(process, folder);
        if (!written.empty())
            return ::kill(process, signal) == 0 ? written : "";
        int status = 0;
        if (::waitpid(process, &status, WNOHANG) == process)
            return "";
        std::this_thread::sleep_for(1ms);
    }
    return "";
}

// The names in folder that begin with "." (a temporary's, hidden).
int HiddenNames(const std::string& folder)
{
    int count = 0;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error))
        count += item.path().filename().string().starts_with(".") ? 1 : 0;
    return count;
}

// A file's bytes in one read: files here are tens of MB.
std::string WholeFile(const std::filesystem::path& file)
{
    std::string bytes(std::filesystem::file_size(file), '\0');
    std::ifstream(file, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// Each file in dest is one of the entries and whole; hidden temporaries are
// allowed when allowTemporaries. The names of the entries found.
std::vector<std::string> CheckWholeEntries(const std::string& dest, const std::vector<TTestEntry>& entries,
                                           bool allowTemporaries)
{
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(dest, error)) {
        const std::string name = item.path().filename().string();
        if (allowTemporaries && name.starts_with("."))
            continue;
        const auto entry =
            std::find_if(entries.begin(), entries.end(), [&](const TTestEntry& e) { return e.Name == name; });
        if (entry == entries.end() || !item.is_regular_file()) {
            ADD_FAILURE() << "left behind: " << name;
            continue;
        }
        const std::string bytes = WholeFile(item.path());
        EXPECT_TRUE(bytes == entry->Data)
            << name << " is not whole: " << bytes.size() << " of " << entry->Data.size() << " bytes";
        found.push_back(name);
    }
    return found;
}

// The driver on file systems with and without unnamed files.
const struct {
    const char* Label;
    bool WithoutUnnamedFiles;
} FileSystems[] = {{"with unnamed files", false}, {"without unnamed files", true}};

std::string DriverOn(bool withoutUnnamedFiles)
{
    return withoutUnnamedFiles ? std::string("LD_PRELOAD=") + NO_UNNAMED_FILES_LIBRARY + " " + Driver() : Driver();
}

// Ends a run of the driver on archiveCase in each way, checks what it left,
// and runs it again, keeping existing files.
void CheckEndings(const TArchiveCase& archiveCase, bool withoutUnnamedFiles)
{
    const std::vector<TTestEntry> entries = archiveCase.Entries();
    TempDir dir;
    const std::string archive = WriteArchive(dir, archiveCase, entries);
    const std::string driver = DriverOn(withoutUnnamedFiles);
    for (const TEnding& ending : Endings) {
        SCOPED_TRACE(std::string(archiveCase.Label) + ", " + ending.Label);
        const std::string dest = dir.File("dest");
        std::filesystem::remove_all(dest);
        const pid_t child = StartExtraction(archive, dest, dir.File("err"), ending.FileSizeLimit, withoutUnnamedFiles);
        ASSERT_GT(child, 0);
        if (ending.Signal != 0) {
            const std::string written = SignalOnceWriting(child, dest, ending.Signal);
            EXPECT_NE(written, "") << "the extraction ended first";
            // Without unnamed files the bytes go to a short hidden name.
            if (withoutUnnamedFiles) {
                EXPECT_EQ(std::filesystem::path(written).filename().string().substr(0, 4), ".KPZ");
                EXPECT_EQ(std::filesystem::path(written).filename().string().size(), std::size_t{10});
            }
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (ending.Signal != 0) {
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), ending.Signal);
        } else {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 2);
            EXPECT_NE(ReadFileBytes(dir.File("err")).find(": File too large)"), std::string::npos);
        }
        // Only SIGKILL, which cannot be caught, leaves a temporary, and only
        // where the file system has no unnamed files.
        const bool strayTemporary = ending.Signal == SIGKILL && withoutUnnamedFiles;
        EXPECT_EQ(HiddenNames(dest), strayTemporary ? 1 : 0);
        const std::vector<std::string> whole = CheckWholeEntries(dest, entries, strayTemporary);
        if (entries.size() == 1) {
            EXPECT_TRUE(whole.empty());
        }

        // A second run takes the stray temporary for no entry's file and
        // leaves it.
        const TCommandResult rerun = RunCommand(driver + " extract " + ShellQuote(archive) + " " + ShellQuote(dest) +
                                                " -o never 2>" + ShellQuote(dir.File("err")));
        EXPECT_EQ(rerun.ExitCode, whole.empty() ? 0 : 1);
        EXPECT_EQ(CheckWholeEntries(dest, entries, strayTemporary).size(), entries.size());
        EXPECT_EQ(HiddenNames(dest), strayTemporary ? 1 : 0);
    }
}

TEST(ExtractKilled, NothingHalfWrittenIsLeftUnderAnEntrysName)
{
    for (const TArchiveCase& archiveCase : ArchiveCases)
        CheckEndings(archiveCase, false);
}

// Where the file system has no unnamed files (vfat, NFS), the bytes go to a
// hidden temporary, which the driver removes when a signal ends it.
TEST(ExtractKilled, NothingHalfWrittenIsLeftWithoutUnnamedFiles) { CheckEndings(ArchiveCases.front(), true); }

// An entry that fails its check leaves nothing of its own: no temporary,
// and an existing file of its name as it was.
TEST(ExtractKilled, AnEntryThatFailsItsCheckKeepsTheExistingFile)
{
    const std::string content = RandomByteString(8 << 20, 3);
    std::string archive = BuildStoredArchive({{"big.bin", content}, {"ok.txt", "ok"}});
    PatchFirstEntry(archive, CrcField, TestCrc(content) ^ 1);
    for (const auto& fileSystem : FileSystems)
        for (const bool existing : {false, true}) {
            SCOPED_TRACE(std::string(fileSystem.Label) + (existing ? ", over an existing file" : ", a new file"));
            TempDir dir;
            dir.Write("in.zip", archive);
            if (existing)
                dir.Write("dest/big.bin", "the old file");
            const TCommandResult result =
                RunCommand(DriverOn(fileSystem.WithoutUnnamedFiles) + " extract " + ShellQuote(dir.File("in.zip")) +
                           " " + ShellQuote(dir.File("dest")) + " -o always 2>" + ShellQuote(dir.File("err")));
            EXPECT_EQ(result.ExitCode, 1);
            EXPECT_EQ(ReadFileBytes(dir.File("err")), "not extracted: big.bin (bad CRC)\n");
            EXPECT_EQ(TreeNames(ReadTree(dir.File("dest"))), existing ? "big.bin ok.txt " : "ok.txt ");
            if (existing) {
                EXPECT_EQ(ReadFileBytes(dir.File("dest/big.bin")), "the old file");
            }
        }
}

// A temporary's name is short and never grows from the entry's: a name of
// the most bytes the system takes is extracted, new and over an old file.
TEST(ExtractKilled, TheLongestNameIsExtracted)
{
    const std::string name = std::string(251, 'n') + ".jpg";
    ASSERT_EQ(name.size(), std::size_t{NAME_MAX});
    for (const auto& fileSystem : FileSystems)
        for (const bool existing : {false, true}) {
            SCOPED_TRACE(std::string(fileSystem.Label) + (existing ? ", over an existing file" : ", a new file"));
            TempDir dir;
            dir.Write("in.zip", BuildStoredArchive({{"sub/" + name, "the picture"}}));
            if (existing)
                dir.Write("dest/sub/" + name, "the old picture");
            const TCommandResult result =
                RunCommand(DriverOn(fileSystem.WithoutUnnamedFiles) + " extract " + ShellQuote(dir.File("in.zip")) +
                           " " + ShellQuote(dir.File("dest")) + " -o always 2>" + ShellQuote(dir.File("err")));
            EXPECT_EQ(result.ExitCode, 0);
            EXPECT_EQ(ReadFileBytes(dir.File("err")), "");
            EXPECT_EQ(TreeNames(ReadTree(dir.File("dest"))), "sub/ sub/" + name + " ");
            EXPECT_EQ(ReadFileBytes(dir.File("dest/sub/" + name)), "the picture");
        }
}

} // namespace
