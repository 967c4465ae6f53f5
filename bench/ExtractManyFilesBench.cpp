// Extracting an archive of 20,000 small files in 200 folders, the way an
// album collection or a photo export is shaped: `zipdriver extract` against
// Info-ZIP `unzip` on the same archive, each a whole process into a new
// folder. The work here is the file system's (a file made, written, dated
// and closed per entry), so what counts is what each tool asks of the
// system per file.
//
// Checks first that both extract every file with the bytes it was zipped
// with, then runs the two in turn, round after round, and prints each one's
// median time and the median of the per-round ratios (pairing the rounds
// keeps the ratio fair while the machine's speed drifts; the order changes
// from round to round).
//
//   ExtractManyFilesBench [ROUNDS]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int FolderCount = 200;
constexpr int FilesPerFolder = 100;

namespace fs = std::filesystem;

// Text of 50 to 3,000 bytes from a few words, as captions and settings files are.
std::string SmallFileText(std::mt19937& generator)
{
    static const char* const Words[] = {"photo ", "album ", "caption ", "pictoria ", "image ", "slide "};
    const std::size_t size = std::uniform_int_distribution<std::size_t>(50, 3000)(generator);
    std::string text;
    while (text.size() < size)
        text += Words[generator() % std::size(Words)];
    text.resize(size);
    return text;
}

void MakeSourceTree(const fs::path& source)
{
    std::mt19937 generator(5);
    for (int d = 0; d < FolderCount; ++d) {
        const fs::path folder = source / ("folder" + std::to_string(d));
        fs::create_directories(folder);
        for (int f = 0; f < FilesPerFolder; ++f)
            std::ofstream(folder / ("file" + std::to_string(f) + ".txt"), std::ios::binary) << SmallFileText(generator);
    }
}

std::string FileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file below a holds the bytes of the file of its name below b, and
// both hold the same number of files.
bool SameFiles(const fs::path& a, const fs::path& b)
{
    std::size_t count = 0;
    for (const auto& item : fs::recursive_directory_iterator(a)) {
        if (!item.is_regular_file())
            continue;
        ++count;
        if (FileBytes(item.path()) != FileBytes(b / fs::relative(item.path(), a)))
            return false;
    }
    std::size_t other = 0;
    for (const auto& item : fs::recursive_directory_iterator(b))
        other += item.is_regular_file() ? 1 : 0;
    return count == other && count == std::size_t{FolderCount} * FilesPerFolder;
}

// Runs the command without a shell, its output thrown away; its wall time in
// seconds, or a negative value when it fails.
double TimedRun(std::vector<std::string> words)
{
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    int status = -1;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        ::waitpid(child, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

std::vector<std::string> DriverCommand(const std::string& driver, const fs::path& archive, const fs::path& to)
{
    return {driver, "extract", archive.string(), to.string(), "-o", "always"};
}

std::vector<std::string> UnzipCommand(const fs::path& archive, const fs::path& to)
{
    return {"unzip", "-q", "-o", archive.string(), "-d", to.string()};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const fs::path folder = fs::temp_directory_path() / "ExtractManyFilesBench";
    fs::remove_all(folder);
    const fs::path source = folder / "source";
    const fs::path archive = folder / "many.zip";
    const std::string driver = (fs::path(argv[0]).parent_path() / "zipdriver").string();
    MakeSourceTree(source);
    const std::string zip = "cd '" + source.string() + "' && zip -q -r '" + archive.string() + "' .";
    if (std::system(zip.c_str()) != 0) {
        std::fprintf(stderr, "zip failed\n");
        return 1;
    }

    if (TimedRun(DriverCommand(driver, archive, folder / "check-driver")) < 0 ||
        TimedRun(UnzipCommand(archive, folder / "check-unzip")) < 0 || !SameFiles(source, folder / "check-driver") ||
        !SameFiles(source, folder / "check-unzip")) {
        std::fprintf(stderr, "an extraction differs from the files zipped\n");
        return 1;
    }

    // Every extraction's files stay until the end: a file system that has just
    // deleted many files makes new ones slowly for a while (ext4 passes over
    // recently freed inodes), which would time the removal instead.
    std::vector<double> driverTimes, unzipTimes, ratios;
    for (int round = 0; round < rounds; ++round) {
        const fs::path to = folder / ("round" + std::to_string(round));
        fs::create_directories(to);
        // Each goes first in every other round.
        if (round % 2 == 0) {
            driverTimes.push_back(TimedRun(DriverCommand(driver, archive, to / "driver")));
            unzipTimes.push_back(TimedRun(UnzipCommand(archive, to / "unzip")));
        } else {
            unzipTimes.push_back(TimedRun(UnzipCommand(archive, to / "unzip")));
            driverTimes.push_back(TimedRun(DriverCommand(driver, archive, to / "driver")));
        }
        if (driverTimes.back() < 0 || unzipTimes.back() < 0) {
            std::fprintf(stderr, "an extraction failed in round %d\n", round + 1);
            return 1;
        }
        ratios.push_back(driverTimes.back() / unzipTimes.back());
    }
    const int files = FolderCount * FilesPerFolder;
    std::printf("extracting %d small files (%.1f MB archive), median of %d rounds\n", files,
                static_cast<double>(fs::file_size(archive)) / 1e6, rounds);
    std::printf("  zipdriver extract  %7.3f s  %6.1f us per file\n", Median(driverTimes),
                Median(driverTimes) / files * 1e6);
    std::printf("  unzip              %7.3f s  %6.1f us per file\n", Median(unzipTimes),
                Median(unzipTimes) / files * 1e6);
    std::printf("  zipdriver / unzip  %7.3f\n", Median(ratios));
    fs::remove_all(folder);
    return 0;
}
