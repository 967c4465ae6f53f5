// Whether decoding ahead pays, whole processes on tmpfs: `zipdriver extract`
// with its helper threads, the same with none (`--helpers 0`), and Info-ZIP
// `unzip -qo`, each into a new folder, over archives made with `zip -r -6`
// of files of one size each from 4 KB to 16 MB, a mix of those sizes, 40,000
// files of about 4 KB and 65,535 files of 4,096 bytes. Half the files of each
// set are random bytes, which zip stores, half text, which it deflates.
//
// Checks first that each extraction holds every file with the bytes zipped,
// then runs the three in turn, round after round (the order changes from
// round to round), and prints per set each one's median time and peak
// memory, and the medians of the per-round ratios: with helpers against
// without, and against unzip.
//
//   ExtractAheadBench [ROUNDS] [SET...]     (SET: a set's name, as printed)
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace {

namespace fs = std::filesystem;

constexpr std::size_t KB = 1024;
constexpr std::size_t MB = 1024 * KB;
// Bytes of each set of one size.
constexpr std::size_t SetBytes = 64 * MB;
constexpr std::size_t FilesPerFolder = 200;

struct TFileSet {
    std::string Name;
    // The size of each file in turn.
    std::vector<std::size_t> Sizes;
    // The words the text files are made of: with few, deflate packs the
    // text to a few percent.
    std::size_t Words = 12;
    // Files in folders of FilesPerFolder, or all in the top folder, so that
    // no folder entry takes the archive past 65,535 entries.
    bool InFolders = true;
};

std::vector<TFileSet> FileSets()
{
    std::vector<TFileSet> sets;
    for (std::size_t size = 4 * KB; size <= 16 * MB; size *= 4)
        sets.push_back({std::to_string(SetBytes / size) + " x " + std::to_string(size / KB) + " KB",
                        std::vector<std::size_t>(std::max<std::size_t>(SetBytes / size, 4), size)});
    std::mt19937 generator(7);
    TFileSet mix{"mix 4 KB..16 MB", {}};
    std::size_t total = 0;
    while (total < SetBytes) {
        // Sizes spread evenly over their logarithm: as many small files as big.
        const double exponent = std::uniform_real_distribution<double>(12, 24)(generator);
        mix.Sizes.push_back(static_cast<std::size_t>(std::exp2(exponent)));
        total += mix.Sizes.back();
    }
    sets.push_back(mix);
    TFileSet about4k{"40000 x about 4 KB", {}};
    for (int i = 0; i < 40000; ++i)
        about4k.Sizes.push_back(std::uniform_int_distribution<std::size_t>(3 * KB, 5 * KB)(generator));
    sets.push_back(about4k);
    sets.push_back({"65535 x 4096 bytes", std::vector<std::size_t>(65535, 4096), 12, false});
    // Text files that the helpers take, for the memory they hold.
    sets.push_back({"16 x 15 MB of few words", std::vector<std::size_t>(16, 15 * MB), 2, true});
    return sets;
}

// Lines of words, as captions, settings and logs are; deflate takes lines of
// all twelve words to about a fifth.
void AppendText(std::string& bytes, std::size_t size, std::size_t words, std::mt19937& generator)
{
    static const char* const Words[] = {"photo ", "album ", "caption ", "pictoria ", "image ", "slide ",
                                        "harbour ", "boats ", "the ", "with ", "old ", "light "};
    const std::size_t end = bytes.size() + size;
    while (bytes.size() < end)
        bytes += generator() % 8 == 0 ? "\n" : Words[generator() % std::min(words, std::size(Words))];
    bytes.resize(end);
}

void AppendRandom(std::string& bytes, std::size_t size, std::mt19937& generator)
{
    const std::size_t end = bytes.size() + size;
    while (bytes.size() < end)
        bytes += static_cast<char>(generator());
}

std::string FileName(const TFileSet& set, std::size_t i)
{
    const std::string name = "file" + std::to_string(i) + ".dat";
    return set.InFolders ? "folder" + std::to_string(i / FilesPerFolder) + "/" + name : name;
}

void MakeSourceTree(const TFileSet& set, const fs::path& source)
{
    std::mt19937 generator(11);
    for (std::size_t i = 0; i < set.Sizes.size(); ++i) {
        std::string bytes;
        if (i % 2 == 0)
            AppendRandom(bytes, set.Sizes[i], generator);
        else
            AppendText(bytes, set.Sizes[i], set.Words, generator);
        fs::create_directories((source / FileName(set, i)).parent_path());
        std::ofstream(source / FileName(set, i), std::ios::binary) << bytes;
    }
}

std::string FileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SameFiles(const TFileSet& set, const fs::path& source, const fs::path& extracted)
{
    for (std::size_t i = 0; i < set.Sizes.size(); ++i)
        if (FileBytes(source / FileName(set, i)) != FileBytes(extracted / FileName(set, i)))
            return false;
    return true;
}

struct TRunFigures {
    double Seconds = -1; // negative: the command failed
    double PeakMB = 0;
};

// Runs the command without a shell, its output thrown away. It is forked,
// not spawned with vfork, so that its peak memory is its own, not this
// program's peak.
TRunFigures TimedRun(std::vector<std::string> words)
{
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = -1;
    rusage usage{};
    if (child > 0)
        ::wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return {seconds, static_cast<double>(usage.ru_maxrss) / 1024};
}

enum TTool { WithHelpers, WithoutHelpers, Unzip, ToolCount };
const char* const ToolNames[ToolCount] = {"with helpers", "without helpers", "unzip -qo"};

std::vector<std::string> Command(TTool tool, const std::string& driver, const fs::path& archive, const fs::path& to)
{
    switch (tool) {
    case WithHelpers: return {driver, "extract", archive.string(), to.string(), "-o", "always"};
    case WithoutHelpers: return {driver, "extract", archive.string(), to.string(), "-o", "always", "--helpers", "0"};
    case Unzip:
    case ToolCount: break;
    }
    return {"unzip", "-qo", archive.string(), "-d", to.string()};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Times one set; false when an extraction failed or differs.
bool BenchSet(const TFileSet& set, const fs::path& folder, const std::string& driver, int rounds)
{
    const fs::path source = folder / "source";
    const fs::path archive = folder / "set.zip";
    fs::remove_all(folder);
    MakeSourceTree(set, source);
    const std::string zip = "cd '" + source.string() + "' && zip -q -r -6 '" + archive.string() + "' .";
    if (std::system(zip.c_str()) != 0) {
        std::fprintf(stderr, "zip failed\n");
        return false;
    }
    for (int tool = 0; tool < ToolCount; ++tool) {
        const fs::path to = folder / "check";
        if (TimedRun(Command(TTool(tool), driver, archive, to)).Seconds < 0 || !SameFiles(set, source, to)) {
            std::fprintf(stderr, "%s: %s failed or differs from the files zipped\n", set.Name.c_str(),
                         ToolNames[tool]);
            return false;
        }
        fs::remove_all(to);
    }
    // A forked command's peak memory counts this program's memory at the
    // fork: what the checks held goes back first.
    ::malloc_trim(0);
    std::vector<double> seconds[ToolCount], peaks[ToolCount], againstWithout, againstUnzip;
    for (int round = 0; round < rounds; ++round) {
        TRunFigures figures[ToolCount];
        for (int step = 0; step < ToolCount; ++step) {
            const TTool tool = TTool((step + round) % ToolCount);
            // tmpfs frees at once: each extraction goes before the next.
            const fs::path to = folder / "out";
            figures[tool] = TimedRun(Command(tool, driver, archive, to));
            fs::remove_all(to);
            if (figures[tool].Seconds < 0) {
                std::fprintf(stderr, "%s: %s failed in round %d\n", set.Name.c_str(), ToolNames[tool], round + 1);
                return false;
            }
            seconds[tool].push_back(figures[tool].Seconds);
            peaks[tool].push_back(figures[tool].PeakMB);
        }
        againstWithout.push_back(figures[WithHelpers].Seconds / figures[WithoutHelpers].Seconds);
        againstUnzip.push_back(figures[WithHelpers].Seconds / figures[Unzip].Seconds);
    }
    std::printf("%s (%.1f MB archive)\n", set.Name.c_str(), static_cast<double>(fs::file_size(archive)) / 1e6);
    for (int tool = 0; tool < ToolCount; ++tool)
        std::printf("  %-16s %8.3f s  peak %6.1f MB\n", ToolNames[tool], Median(seconds[tool]), Median(peaks[tool]));
    std::printf("  with / without   %8.3f\n  with / unzip     %8.3f\n", Median(againstWithout), Median(againstUnzip));
    std::fflush(stdout);
    fs::remove_all(folder);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::vector<std::string> chosen(argv + std::min(argc, 2), argv + argc);
    const fs::path tmpfs = "/dev/shm";
    const fs::path folder = (fs::is_directory(tmpfs) ? tmpfs : fs::temp_directory_path()) / "ExtractAheadBench";
    const std::string driver = (fs::path(argv[0]).parent_path() / "zipdriver").string();
    std::printf("extracting into %s, medians of %d rounds\n", folder.parent_path().c_str(), rounds);
    for (const TFileSet& set : FileSets())
        if (chosen.empty() || std::find(chosen.begin(), chosen.end(), set.Name) != chosen.end())
            if (!BenchSet(set, folder, driver, rounds))
                return 1;
    return 0;
}
