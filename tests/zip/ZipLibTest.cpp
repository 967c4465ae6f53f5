#include "files/ZipLib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Exceptions.h"
#include "TempDir.h"
#include "ZipUI.h"

namespace {

TEST(ZipLib, MinAndMaxOf64BitValues)
{
    EXPECT_EQ(MinInt64(3, -5), -5);
    EXPECT_EQ(MinInt64(INT64_MIN, INT64_MAX), INT64_MIN);
    EXPECT_EQ(MaxInt64(3, -5), 3);
    EXPECT_EQ(MaxInt64(INT64_MIN, INT64_MAX), INT64_MAX);
}

struct PercentCase {
    std::int64_t total;
    std::int64_t part;
    std::int64_t percent;
};

TEST(ZipLib, CalcPercentRoundsHalvesToEvenAndStopsAt100)
{
    const PercentCase cases[] = {
        {0, 5, 0},
        {-3, 1, 0},
        {3, 1, 33},
        {3, 2, 67},
        {8, 1, 12},
        {8, 3, 38},
        {8, 5, 62},
        {200, 1, 0},
        {200, 3, 2},
        {10, 25, 100},
        {10, 10, 100},
        {3, -1, -33},
        {8, -1, -12},
        {INT32_MAX, INT32_MAX - 1, 100},
        {2000000000, 1000000000, 50},
        {INT32_MAX, INT32_MAX / 3, 33},
    };
    for (const PercentCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.part) + " of " + std::to_string(c.total));
        EXPECT_EQ(CalcPercent(static_cast<std::int32_t>(c.total), static_cast<std::int32_t>(c.part)), c.percent);
        EXPECT_EQ(CalcPercent64(c.total, c.part), c.percent);
    }
}

TEST(ZipLib, CalcPercent64DoesNotOverflow)
{
    EXPECT_EQ(CalcPercent64(INT64_MAX, INT64_MAX / 2), 50);
    EXPECT_EQ(CalcPercent64(INT64_MAX, INT64_MAX / 3), 33);
    EXPECT_EQ(CalcPercent64(INT64_MAX, INT64_MIN), -100);
    EXPECT_EQ(CalcPercent64(1, INT64_MIN), INT64_MIN);
    EXPECT_EQ(CalcPercent64(INT64_MAX, INT64_MAX), 100);
}

TEST(ZipLib, BothSeparatorConversionsGiveSlashes)
{
    std::string stored = "dir\\sub/name.txt";
    EXPECT_EQ(&BackslashToSlash(stored), &stored);
    EXPECT_EQ(stored, "dir/sub/name.txt");
    std::string fromWindows = "dir\\sub\\name.txt";
    EXPECT_EQ(&SlashToBackslash(fromWindows), &fromWindows);
    EXPECT_EQ(fromWindows, "dir/sub/name.txt");
    std::string plain = "a/b";
    EXPECT_EQ(SlashToBackslash(plain), "a/b");
}

struct CharsCase {
    const char* text;
    std::int64_t count;
    const char* left;
    const char* right;
};

TEST(ZipLib, LeftAndRightChars)
{
    const CharsCase cases[] = {
        {"abcdef", 2, "ab", "ef"},
        {"abcdef", 6, "abcdef", "abcdef"},
        {"abcdef", 10, "abcdef", "abcdef"},
        {"abcdef", 0, "", ""},
        {"abcdef", -1, "", ""},
        {"", 3, "", ""},
    };
    for (const CharsCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.count));
        EXPECT_EQ(LeftChars(c.text, c.count), c.left);
        EXPECT_EQ(RightChars(c.text, c.count), c.right);
    }
}

TEST(ZipLib, WildcardPosFindsTheFivePatternCharacters)
{
    const std::pair<const char*, bool> cases[] = {
        {"plain/name.txt", false}, {"", false}, {"[ab]", false}, {"a*", true}, {"a?", true},
        {"<a>", true}, {"a>", true}, {"|a", true},
    };
    for (const auto& [text, wild] : cases)
        EXPECT_EQ(WildcardPos(text), wild) << text;
}

TEST(ZipLib, FileAndFolderQueries)
{
    TempDir dir;
    const std::string file = dir.Write("f.txt", "x");
    EXPECT_TRUE(LFNFileExists(file));
    EXPECT_FALSE(LFNFileExists(dir.Folder()));
    EXPECT_FALSE(LFNFileExists(dir.File("missing")));
    EXPECT_TRUE(LFNDirectoryExists(dir.Folder()));
    EXPECT_TRUE(LFNDirectoryExists(dir.Path().string()));
    EXPECT_FALSE(LFNDirectoryExists(file));

    const std::string deep = dir.File("a/b/c/");
    LFNForceDirectories(deep);
    EXPECT_TRUE(LFNDirectoryExists(deep));
    LFNForceDirectories(deep);
    EXPECT_TRUE(LFNDirectoryExists(deep));

    std::string current;
    LFNGetDir(0, current);
    EXPECT_EQ(current, std::filesystem::current_path().string());
}

TEST(ZipLib, ConvertPathFormGivesThePathBack)
{
    for (const char* path : {"/tmp/some/long name.txt", "relative/dir/", ""}) {
        std::string converted = "old";
        ConvertPathForm(path, 0, converted);
        EXPECT_EQ(converted, path);
        ConvertPathForm(path, 1, converted);
        EXPECT_EQ(converted, path);
    }
}

// The names in folder, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ZipLib, GetTempZipFileNameCreatesNewFilesInTheFolder)
{
    TempDir dir;
    const std::string first = GetTempZipFileName(dir.Folder());
    const std::string second = GetTempZipFileName(dir.Path().string());
    EXPECT_NE(first, second);
    for (const std::string& name : {first, second}) {
        EXPECT_EQ(name.rfind(dir.Folder() + "KPZ", 0), 0u) << name;
        EXPECT_TRUE(LFNFileExists(name));
        EXPECT_EQ(ReadFileBytes(name), "");
    }
    EXPECT_THROW(GetTempZipFileName(dir.File("missing")), EFCreateError);
}

TEST(ZipLib, RenameReplacingReplacesTheDestination)
{
    TempDir dir;
    const std::string source = dir.Write("new", "new contents");
    const std::string destination = dir.Write("old", "old contents");
    EXPECT_TRUE(RenameReplacing(source, destination));
    EXPECT_EQ(ReadFileBytes(destination), "new contents");
    EXPECT_FALSE(LFNFileExists(source));
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"old"});

    EXPECT_FALSE(RenameReplacing(dir.File("missing"), destination));
    EXPECT_EQ(ReadFileBytes(destination), "new contents");
}

// Records the message boxes the engine shows.
class TRecordingUI : public TZipUI {
public:
    TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons buttons) override
    {
        Boxes.push_back(caption + ": " + text);
        EXPECT_EQ(buttons, TMsgButtons::Ok);
        return TMsgResult::Ok;
    }
    std::vector<std::string> Boxes;
};

std::string Bytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

// A folder on another file system than TempDir's, when the machine has one.
class TOtherFileSystemDir {
public:
    explicit TOtherFileSystemDir(const TempDir& near)
    {
        struct stat nearInfo {}, shmInfo {};
        if (::stat(near.Folder().c_str(), &nearInfo) != 0 || ::stat("/dev/shm", &shmInfo) != 0
            || nearInfo.st_dev == shmInfo.st_dev)
            return;
        std::string pattern = "/dev/shm/pictoria-test-XXXXXX";
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TOtherFileSystemDir()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    bool Available() const { return !path_.empty(); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

TEST(ZipLib, MoveFileOrCopyCopiesAcrossFileSystems)
{
    TempDir dir;
    const TOtherFileSystemDir other(dir);
    if (!other.Available())
        GTEST_SKIP() << "no second file system; CopyFileReplacing is tested on its own";
    TRecordingUI ui;
    const TZipUIScope scope(ui);

    const std::string contents = Bytes(300 * 1024 + 17);
    const std::string source = other.File("archive.tmp");
    { std::ofstream(source, std::ios::binary) << contents; }
    ::chmod(source.c_str(), 0640);
    const std::string destination = dir.Write("album.zip", "old archive");

    EXPECT_FALSE(RenameReplacing(source, destination));
    EXPECT_EQ(ReadFileBytes(destination), "old archive");
    EXPECT_EQ(ReadFileBytes(source), contents);

    MoveFileOrCopy(source, destination);
    EXPECT_EQ(ReadFileBytes(destination), contents);
    EXPECT_EQ(ReadFileBytes(source), contents) << "the caller deletes the source";
    struct stat info {};
    ASSERT_EQ(::stat(destination.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"album.zip"});
    EXPECT_TRUE(ui.Boxes.empty());
}

TEST(ZipLib, MoveFileOrCopyOfAnEmptyFileAcrossFileSystemsIsACopy)
{
    TempDir dir;
    const TOtherFileSystemDir other(dir);
    if (!other.Available())
        GTEST_SKIP() << "no second file system";
    TRecordingUI ui;
    const TZipUIScope scope(ui);
    const std::string source = other.File("empty");
    { std::ofstream(source, std::ios::binary); }
    const std::string destination = dir.Write("target", "old");

    MoveFileOrCopy(source, destination);
    EXPECT_TRUE(LFNFileExists(destination));
    EXPECT_EQ(ReadFileBytes(destination), "");
    EXPECT_TRUE(ui.Boxes.empty());
}

TEST(ZipLib, CopyFileReplacingReplacesTheDestinationByACompleteCopy)
{
    TempDir dir;
    const std::string contents = Bytes(200 * 1024);
    const std::string source = dir.Write("source", contents);
    const std::string destination = dir.Write("sub/destination", "old");
    CopyFileReplacing(source, destination);
    EXPECT_EQ(ReadFileBytes(destination), contents);
    EXPECT_EQ(ReadFileBytes(source), contents);
    EXPECT_EQ(FolderNames(dir.Path() / "sub"), std::vector<std::string>{"destination"});

    CopyFileReplacing(source, dir.File("sub/fresh"));
    EXPECT_EQ(ReadFileBytes(dir.File("sub/fresh")), contents);
}

// Limits the size of files this process writes, as a full disk would, and
// lets writes past it fail instead of killing the process.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST(ZipLib, AFailingCopyLeavesTheDestinationUntouched)
{
    TempDir dir;
    const std::string source = dir.Write("source", Bytes(256 * 1024));
    const std::string destination = dir.Write("destination", "old contents");
    {
        const TFileSizeLimit limit(64 * 1024);
        try {
            CopyFileReplacing(source, destination);
            ADD_FAILURE() << "the copy reported success";
        } catch (const EWriteError& e) {
            EXPECT_NE(std::string(e.what()).find("Cannot write file"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(ReadFileBytes(destination), "old contents");
    EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"destination", "source"}));
}

TEST(ZipLib, CopyFileReplacingRefusesAFolderAsSource)
{
    TempDir dir;
    const std::string destination = dir.Write("destination", "old");
    LFNForceDirectories(dir.File("folder"));
    EXPECT_THROW(CopyFileReplacing(dir.File("folder"), destination), EFOpenError);
    EXPECT_EQ(ReadFileBytes(destination), "old");
}

TEST(ZipLib, MoveFileOrCopyShowsAndRaisesAFailedCopy)
{
    TempDir dir;
    TRecordingUI ui;
    const TZipUIScope scope(ui);
    const std::string source = dir.File("missing");
    const std::string destination = dir.Write("destination", "old");
    EXPECT_THROW(MoveFileOrCopy(source, destination), EFOpenError);
    EXPECT_EQ(ui.Boxes, std::vector<std::string>{"Error: Could not copy from " + source + " -> " + destination});
    EXPECT_EQ(ReadFileBytes(destination), "old");
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"destination"});
}

} // namespace
