// What extraction does with a file already at the output name, and the date
// and mode it gives the files it writes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>

#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "ExtractSupport.h"
#include "TempDir.h"
#include "ZipReader.h"
#include "files/OutputFile.h"
#include "records/DosDateTime.h"

namespace {

constexpr TDosDateTime EntryTime = 0x5A210000; // 1 January 2025, 00:00:00

enum class TExisting { Absent, Older, Same, Newer };

void SetModTime(const std::string& file, std::time_t time)
{
    const timeval times[2] = {{time, 0}, {time, 0}};
    ASSERT_EQ(::utimes(file.c_str(), times), 0);
}

// Puts the existing file in place and returns the name of the one to extract.
std::string Prepare(const TempDir& dir, TExisting existing)
{
    const std::string file = dir.File("dest/f.txt");
    std::filesystem::create_directories(dir.File("dest"));
    if (existing == TExisting::Absent)
        return file;
    dir.Write("dest/f.txt", "old");
    const std::time_t entryTime = *DosDateTimeToTime(EntryTime);
    const std::time_t day = 24 * 3600;
    SetModTime(file, existing == TExisting::Older ? entryTime - day
                     : existing == TExisting::Same ? entryTime
                                                   : entryTime + day);
    return file;
}

struct TOverwriteCase {
    const char* Label;
    TUZOverwriteMode Mode;
    TMsgResult Answer;    // of the overwrite prompt's message box
    bool HandlerAnswer;   // with an OnPromptForOverwrite that answers this
    bool UseHandler;
    std::vector<bool> Written; // absent, older, same, newer
};

const std::vector<TOverwriteCase> OverwriteCases = {
    {"Always", Always, TMsgResult::No, false, false, {true, true, true, true}},
    {"Never", Never, TMsgResult::Yes, false, false, {true, false, false, false}},
    {"ifNewer", ifNewer, TMsgResult::Yes, false, false, {true, true, false, false}},
    {"ifOlder", ifOlder, TMsgResult::Yes, false, false, {true, false, false, true}},
    {"Prompt, answered No", Prompt, TMsgResult::No, false, false, {true, false, false, false}},
    {"Prompt, answered Yes", Prompt, TMsgResult::Yes, false, false, {true, true, true, true}},
    {"Prompt, handler says yes", Prompt, TMsgResult::No, true, true, {true, true, true, true}},
    {"Prompt, handler says no", Prompt, TMsgResult::Yes, false, true, {true, false, false, false}},
};

TEST(ExtractOverwrite, ModesAgainstAbsentOlderSameAndNewerFiles)
{
    for (const TOverwriteCase& c : OverwriteCases)
        for (const TExisting existing : {TExisting::Absent, TExisting::Older, TExisting::Same, TExisting::Newer}) {
            SCOPED_TRACE(std::string(c.Label) + ", existing " + std::to_string(static_cast<int>(existing)));
            TempDir dir;
            const std::string file = Prepare(dir, existing);
            const std::string archive = dir.Write("in.zip", BuildStoredArchive({{"f.txt", "new", "", 0, EntryTime}}));
            TZipReader reader;
            SetUpExtraction(reader, archive, dir.File("dest"));
            reader.OverwriteMode = c.Mode;
            TEventLog log(reader);
            int prompts = 0;
            if (c.UseHandler)
                reader.OnPromptForOverwrite = [&](TZipReader&, bool& overWriteIt, int, std::string& name) {
                    EXPECT_EQ(name, file);
                    ++prompts;
                    overWriteIt = c.HandlerAnswer;
                };
            TAnsweringUI ui(c.Answer);
            TZipUIScope scope(ui);
            const bool written = c.Written[static_cast<std::size_t>(existing)];
            EXPECT_EQ(reader.UnZipToDestDir(), written ? 1 : 0);
            EXPECT_EQ(ReadFileBytes(file), written ? "new" : "old");
            const bool asked = c.Mode == Prompt && existing != TExisting::Absent;
            EXPECT_EQ(prompts, asked && c.UseHandler ? 1 : 0);
            EXPECT_EQ(ui.Boxes, asked && !c.UseHandler
                                    ? std::vector<std::string>{"File Exists Alert: Replace existing file f.txt?"}
                                    : std::vector<std::string>{});
            if (!written) {
                EXPECT_NE(log.Text().find("skip 0 reason 1 " + file), std::string::npos) << log.Text();
            }
            EXPECT_EQ(TreeNames(ReadTree(dir.File("dest"))), "f.txt ");
        }
}

TEST(ExtractOverwrite, TheHeadlessPromptKeepsTheFile)
{
    TempDir dir;
    const std::string file = Prepare(dir, TExisting::Older);
    TZipReader reader;
    SetUpExtraction(reader, dir.Write("in.zip", BuildStoredArchive({{"f.txt", "new"}})), dir.File("dest"));
    reader.OverwriteMode = Prompt;
    EXPECT_EQ(reader.UnZipToDestDir(), 0);
    EXPECT_EQ(ReadFileBytes(file), "old");
}

TEST(ExtractOverwrite, ReadOnlyFilesAreReplacedOnlyWhenAsked)
{
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "ReplaceReadOnly" : "keep read-only files");
        TempDir dir;
        const std::string file = Prepare(dir, TExisting::Older);
        ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
        TZipReader reader;
        SetUpExtraction(reader, dir.Write("in.zip", BuildStoredArchive({{"f.txt", "new"}})), dir.File("dest"));
        reader.ReplaceReadOnly = replace;
        TEventLog log(reader);
        EXPECT_EQ(reader.UnZipToDestDir(), replace ? 1 : 0);
        EXPECT_EQ(ReadFileBytes(file), replace ? "new" : "old");
        if (!replace) {
            EXPECT_NE(log.Text().find("skip 0 reason 3 " + file), std::string::npos) << log.Text();
        } else {
            EXPECT_EQ(ReadTree(dir.File("dest")).at("f.txt").Mode, DefaultFileMode());
        }
    }
}

TEST(ExtractOverwrite, FilesGetTheEntryDate)
{
    TempDir dir;
    TZipReader reader;
    SetUpExtraction(reader,
                    dir.Write("in.zip", BuildStoredArchive({{"f.txt", "new", "", 0, EntryTime},
                                                            {"bad-date.txt", "x", "", 0, 0x5A5F0000}})),
                    dir.File("dest"));
    EXPECT_EQ(reader.UnZipToDestDir(), 2);
    EXPECT_EQ(ReadTree(dir.File("dest")).at("f.txt").ModTime, *DosDateTimeToTime(EntryTime));
    // 31 February does not exist: the file keeps the time it was made.
    EXPECT_GT(ReadTree(dir.File("dest")).at("bad-date.txt").ModTime, *DosDateTimeToTime(EntryTime));
}


TEST(ExtractOverwrite, ModesFromTheExternalAttributes)
{
    const mode_t standard = DefaultFileMode();
    const struct {
        std::uint8_t Host;
        std::uint32_t Attributes;
        bool Retain;
        mode_t Expected;
    } cases[] = {
        {3, 0100755u << 16, true, 0755},
        {3, 0100600u << 16, true, 0600},
        {3, 0104755u << 16, true, 0755},       // no set-user-ID
        {3, 0102755u << 16, true, 0755},       // no set-group-ID
        {3, 0041777u << 16, true, standard},   // a folder's mode on a file entry
        {3, 0120777u << 16, true, standard},   // a symbolic link becomes a plain file
        {3, 0020666u << 16, true, standard},   // a device too
        {3, 0, true, standard},                // no Unix mode recorded
        {3, 0100755u << 16, false, standard},
        {0, 0x01, true, standard & ~mode_t{0222}}, // MS-DOS read-only
        {0, 0x20, true, standard},
        {0, 0x01, false, standard},
        {11, 0x01, true, standard & ~mode_t{0222}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractedFileMode(c.Host, c.Attributes, c.Retain), c.Expected)
            << int(c.Host) << " " << std::oct << c.Attributes;
}

TEST(ExtractOverwrite, ASymbolicLinkEntryIsWrittenAsAFileHoldingItsTarget)
{
    TempDir dir;
    std::string archive = BuildStoredArchive({{"link", "/etc/passwd"}});
    const std::size_t central = archive.find("PK\x01\x02");
    archive[central + 5] = 3;
    PutU32(reinterpret_cast<std::uint8_t*>(archive.data()) + central + 38, 0120777u << 16);
    TZipReader reader;
    SetUpExtraction(reader, dir.Write("in.zip", archive), dir.File("dest"));
    EXPECT_EQ(reader.UnZipToDestDir(), 1);
    struct stat info {};
    ASSERT_EQ(::lstat(dir.File("dest/link").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(ReadFileBytes(dir.File("dest/link")), "/etc/passwd");
}

} // namespace
