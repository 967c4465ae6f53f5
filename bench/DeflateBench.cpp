// Compression speed and size of our deflate against zlib (raw deflate, same
// level) and libdeflate (levels 1, 6, 9, 12), on the same data in the same run.
// Every stream is inflated with zlib and compared before anything is timed.
//
//   DeflateBench [legacy-test-data-folder]
//   DeflateBench --album [--write-album FOLDER]
//
// Data: generated text, this program's own executable, generated JPEG-like
// data, and the files of the legacy test data (by default
// ../shared/testdata/legacy beside the source tree) together with the entries
// of its PKZ110ES.ZIP as Info-ZIP unzip extracts them. Missing files are skipped.
//
// --album times an album instead: 200 JPEG photographs of about 1.8 MB, each
// compressed as an entry of its own, against storing them (a copy and the
// CRC-32, which storing does). --write-album also writes the photographs to
// FOLDER, for timing whole programs on the same files.
#include <libdeflate.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "MadePhotograph.h"
#include "ZlibReference.h"
#include "crc/Crc32.h"
#include "deflate/Deflate.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

struct TDataSet {
    std::string Name;
    Bytes Data;
};

Bytes ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// English-like text: words of a Zipf-distributed vocabulary, with punctuation.
Bytes GeneratedText(std::size_t size)
{
    std::mt19937 rng(1);
    std::vector<std::string> vocabulary;
    const std::string letters = "etaoinshrdlucmfwypvbgkjqxz";
    for (int i = 0; i < 2000; ++i) {
        std::string word;
        const int length = 2 + static_cast<int>(rng() % 8);
        for (int j = 0; j < length; ++j)
            word += letters[std::min<std::size_t>(rng() % 14 + rng() % 13, letters.size() - 1)];
        vocabulary.push_back(word);
    }
    std::vector<double> weights;
    for (int i = 0; i < 2000; ++i)
        weights.push_back(1.0 / (i + 1));
    std::discrete_distribution<int> pick(weights.begin(), weights.end());
    Bytes text;
    while (text.size() < size) {
        const std::string& word = vocabulary[static_cast<std::size_t>(pick(rng))];
        text.insert(text.end(), word.begin(), word.end());
        const unsigned r = rng() % 20;
        text.push_back(r == 0 ? '.' : r == 1 ? ',' : r == 2 ? '\n' : ' ');
    }
    text.resize(size);
    return text;
}

// Entropy-coded image data: nearly random bytes with 0xFF stuffed by 0x00,
// restart markers, and a few repeated header tables.
Bytes GeneratedJpegLike(std::size_t size)
{
    std::mt19937 rng(2);
    Bytes data;
    Bytes header(600);
    for (auto& b : header)
        b = static_cast<std::uint8_t>(rng() % 64);
    while (data.size() < size) {
        data.insert(data.end(), header.begin(), header.end());
        for (int i = 0; i < 60000; ++i) {
            const auto b = static_cast<std::uint8_t>(rng());
            data.push_back(b);
            if (b == 0xFF)
                data.push_back(0x00);
            if (i % 4096 == 4095) {
                data.push_back(0xFF);
                data.push_back(static_cast<std::uint8_t>(0xD0 + (i / 4096) % 8));
            }
        }
    }
    data.resize(size);
    return data;
}

// Entries of a legacy archive, extracted by Info-ZIP unzip when it is there.
void AddArchiveEntries(const fs::path& archive, std::vector<TDataSet>& sets)
{
    if (!fs::exists(archive) || std::system("command -v unzip >/dev/null 2>&1") != 0)
        return;
    for (const char* name : {"TEST.EXE", "TEST.BMP", "TEST.PCX", "TEST.JPG", "TEST.PNG", "TEST.GIF"}) {
        const std::string command = "unzip -p '" + archive.string() + "' " + name + " 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            continue;
        Bytes data;
        std::uint8_t buffer[65536];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            data.insert(data.end(), buffer, buffer + n);
        if (pclose(pipe) == 0 && !data.empty())
            sets.push_back({archive.filename().string() + ":" + name, std::move(data)});
    }
}

std::vector<TDataSet> DataSets(const fs::path& legacy)
{
    std::vector<TDataSet> sets;
    sets.push_back({"text (generated)", GeneratedText(4 << 20)});
    sets.push_back({"executable (this program)", ReadFile("/proc/self/exe")});
    sets.push_back({"JPEG-like (generated)", GeneratedJpegLike(2 << 20)});
    if (!fs::is_directory(legacy)) {
        std::printf("legacy test data not found at %s: skipped\n", legacy.string().c_str());
        return sets;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(legacy))
        if (entry.is_regular_file() && entry.path().extension() != ".md")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files)
        sets.push_back({file.filename().string(), ReadFile(file)});
    AddArchiveEntries(legacy / "PKZ110ES.ZIP", sets);
    return sets;
}

Bytes LibdeflateDeflate(const Bytes& input, int level)
{
    libdeflate_compressor* c = libdeflate_alloc_compressor(level);
    Bytes out(libdeflate_deflate_compress_bound(c, input.size()));
    out.resize(libdeflate_deflate_compress(c, input.data(), input.size(), out.data(), out.size()));
    libdeflate_free_compressor(c);
    return out;
}

struct TMeasured {
    std::size_t Size = 0;
    double MBps = 0;
    bool Verified = false;
};

// Best of several runs, at least 3 and at least 0.3 s in all.
double BestSeconds(const std::function<void()>& run)
{
    using Clock = std::chrono::steady_clock;
    double best = 1e30;
    double total = 0;
    for (int i = 0; i < 3 || total < 0.3; ++i) {
        const auto start = Clock::now();
        run();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::min(best, seconds);
        total += seconds;
    }
    return best;
}

volatile std::size_t sink;

template <typename Compress>
TMeasured Measure(const Bytes& input, Compress compress, bool (*verify)(const Bytes&, const Bytes&))
{
    TMeasured m;
    const Bytes stream = compress();
    m.Size = stream.size();
    m.Verified = verify(stream, input);
    if (!m.Verified)
        return m;
    const double seconds = BestSeconds([&] { sink = compress().size(); });
    m.MBps = static_cast<double>(input.size()) / 1e6 / seconds;
    return m;
}

void PrintRow(const char* who, int level, const TMeasured& m, const TMeasured* zlib)
{
    if (!m.Verified) {
        std::printf("  %-10s %2d  ROUND TRIP FAILED\n", who, level);
        return;
    }
    std::printf("  %-10s %2d  %10zu  %8.1f MB/s", who, level, m.Size, m.MBps);
    if (zlib != nullptr && zlib->Verified)
        std::printf("   size %+6.2f%%  speed x%.2f", 100.0 * (double(m.Size) - double(zlib->Size)) / double(zlib->Size),
                    m.MBps / zlib->MBps);
    std::printf("\n");
}

// 200 photographs, 20 of them different: each entry is compressed on its own,
// so repeats across entries change nothing.
std::vector<Bytes> AlbumPhotographs()
{
    std::vector<Bytes> distinct;
    for (std::uint32_t seed = 0; seed < 20; ++seed)
        distinct.push_back(MadePhotograph(2600, 1730, seed, 95));
    std::vector<Bytes> album;
    for (int i = 0; i < 200; ++i)
        album.push_back(distinct[static_cast<std::size_t>(i) % distinct.size()]);
    return album;
}

void WriteAlbum(const std::vector<Bytes>& album, const fs::path& folder)
{
    fs::create_directories(folder);
    for (std::size_t i = 0; i < album.size(); ++i) {
        std::ofstream out(folder / ("photo" + std::to_string(1000 + i) + ".jpg"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(album[i].data()), static_cast<std::streamsize>(album[i].size()));
    }
}

// Compresses every photograph with compress, checks each round trip, then
// times the whole album.
bool TimeAlbum(const char* who, int level, const std::vector<Bytes>& album, const std::function<Bytes(const Bytes&)>& compress,
               double storeSeconds)
{
    std::size_t in = 0;
    std::size_t out = 0;
    for (const Bytes& photo : album) {
        const Bytes stream = compress(photo);
        if (!ZlibInflatesTo(stream, photo) && stream != photo) {
            std::printf("  %-10s %2d  ROUND TRIP FAILED\n", who, level);
            return false;
        }
        in += photo.size();
        out += stream.size();
    }
    const double seconds = BestSeconds([&] {
        for (const Bytes& photo : album)
            sink = compress(photo).size();
    });
    std::printf("  %-10s %2d  %10zu  %7.3f s  %+6.2f%% of stored  x%.2f the store time\n", who, level, out, seconds,
                100.0 * (double(out) - double(in)) / double(in), seconds / storeSeconds);
    return true;
}

int AlbumBench(const fs::path& writeFolder)
{
    const std::vector<Bytes> album = AlbumPhotographs();
    if (!writeFolder.empty())
        WriteAlbum(album, writeFolder);
    std::size_t total = 0;
    for (const Bytes& photo : album)
        total += photo.size();
    std::printf("album (200 photographs): %zu bytes\n", total);
    const double storeSeconds = BestSeconds([&] {
        for (const Bytes& photo : album) {
            Bytes copy(photo);
            sink = UpdateCRC(0, copy.data(), static_cast<std::int64_t>(copy.size()));
        }
    });
    std::printf("  store          %10zu  %7.3f s\n", total, storeSeconds);
    bool ok = true;
    for (int level : {1, 6, 9})
        ok = TimeAlbum("ours", level, album, [&](const Bytes& p) { return DeflateBuffer(p, level).Data; }, storeSeconds) && ok;
    ok = TimeAlbum("zlib", 9, album, [](const Bytes& p) { return ZlibDeflate(p, 9); }, storeSeconds) && ok;
    ok = TimeAlbum("libdeflate", 9, album, [](const Bytes& p) { return LibdeflateDeflate(p, 9); }, storeSeconds) && ok;
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--album")
        return AlbumBench(argc > 3 && std::string(argv[2]) == "--write-album" ? fs::path(argv[3]) : fs::path());
    const fs::path legacy = argc > 1 ? fs::path(argv[1])
                                     : fs::path(__FILE__).parent_path().parent_path() / ".." / "shared" / "testdata" / "legacy";
    bool allVerified = true;
    for (const TDataSet& set : DataSets(legacy)) {
        const Bytes& input = set.Data;
        std::printf("%s: %zu bytes\n", set.Name.c_str(), input.size());
        for (int level : {1, 6, 9}) {
            bool stored = false;
            const TMeasured ours = Measure(
                input, [&] {
                    TDeflatedBuffer out = DeflateBuffer(input, level);
                    stored = out.Result.Method == 0;
                    return std::move(out.Data);
                },
                +[](const Bytes& s, const Bytes& in) { return ZlibInflatesTo(s, in) || s == in; });
            const TMeasured zlib = Measure(input, [&] { return ZlibDeflate(input, level); }, ZlibInflatesTo);
            PrintRow(stored ? "ours (st.)" : "ours", level, ours, &zlib);
            PrintRow("zlib", level, zlib, nullptr);
            allVerified = allVerified && ours.Verified && zlib.Verified;
        }
        for (int level : {1, 6, 9, 12}) {
            const TMeasured libdeflate =
                Measure(input, [&] { return LibdeflateDeflate(input, level); }, ZlibInflatesTo);
            PrintRow("libdeflate", level, libdeflate, nullptr);
            allVerified = allVerified && libdeflate.Verified;
        }
    }
    return allVerified ? 0 : 1;
}
