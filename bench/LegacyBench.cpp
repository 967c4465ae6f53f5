// Speed of the older methods: shrunk, reduced and imploded entries of the
// legacy archives of the shared test data, beside Info-ZIP unzip in the same
// run on the methods it knows (shrink, implode).
//
// Both sides do the same work for a whole archive: read its directory and
// decompress every entry with its CRC-32 check, writing nothing to disk.
// Ours goes through TZipReader into memory streams, and first checks that
// every entry extracts; unzip runs as `unzip -tqq`, so each of its runs also
// pays for starting a process (about a millisecond, reported on its own
// with an empty archive). Reported: MB/s of decompressed output, best of
// several runs, and our speed as a ratio to unzip's.
// Usage: LegacyBench [testdata folder].
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Stream.h"
#include "LegacyTestData.h"
#include "ZipReader.h"

namespace {

namespace fs = std::filesystem;


// Extracts every entry of the archive into memory, each over the bytes of
// the one before (so that the timing is not of growing a buffer); the
// decompressed bytes, or 0 when an entry failed.
std::uint64_t ExtractAll(const fs::path& archive, TMemoryStream& stream)
{
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(archive.string());
    reader.ReadZip();
    std::uint64_t bytes = 0;
    for (int i = 0; i < reader.GetCount(); ++i) {
        stream.Seek(0, soFromBeginning);
        if (reader.UnZipToStreamByIndex(&stream, i) != 1)
            return 0;
        bytes += static_cast<std::uint64_t>(stream.Position());
    }
    return bytes;
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool UnzipTest(const fs::path& archive)
{
    return std::system(("unzip -tqq " + ShellQuote(archive.string()) + " >/dev/null 2>&1").c_str()) == 0;
}

// The best time of one run, over runs that take at least half a second in
// all (and at least 3).
double BestSeconds(const std::function<void()>& run)
{
    double best = 1e9;
    double total = 0;
    for (int i = 0; i < 3 || total < 0.5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::min(best, seconds);
        total += seconds;
    }
    return best;
}

struct TLegacyArchive {
    const char* file;
    const char* methods;
    bool unzipKnows;
};

} // namespace

int main(int argc, char** argv)
{
    const fs::path folder = FindLegacyTestData(argc, argv);
    if (folder.empty()) {
        std::printf("legacy test data not found; pass its folder as the argument\n");
        return 1;
    }
    const bool haveUnzip = std::system("unzip -v >/dev/null 2>&1") == 0;
    if (!haveUnzip)
        std::printf("(Info-ZIP unzip not found: only our figures)\n");

    const fs::path empty = fs::temp_directory_path() / "LegacyBench-empty.zip";
    {
        TFileStream out(empty.string(), fmCreate);
        const char endRecord[22] = {'P', 'K', 5, 6};
        out.Write(endRecord, sizeof endRecord);
    }
    if (haveUnzip)
        std::printf("unzip process start (empty archive): %.2f ms\n",
                    BestSeconds([&] { UnzipTest(empty); }) * 1e3);
    fs::remove(empty);

    const TLegacyArchive archives[] = {
        {"PKZ110ES.ZIP", "shrink", true},     {"PKZ110EI.ZIP", "implode", true},
        {"PKZ80B1.ZIP", "reduce 1, shrink", false}, {"PKZ80B2.ZIP", "reduce 2, shrink", false},
        {"PKZ80B3.ZIP", "reduce 3, shrink", false}, {"PKZ80B4.ZIP", "reduce 4, shrink", false},
    };
    std::printf("%-14s %-18s %10s %10s %11s %9s\n", "archive", "methods", "bytes", "ours MB/s", "unzip MB/s",
                "vs unzip");
    bool allVerified = true;
    for (const TLegacyArchive& item : archives) {
        const fs::path archive = folder / item.file;
        TMemoryStream stream;
        const std::uint64_t bytes = ExtractAll(archive, stream);
        const bool peer = haveUnzip && item.unzipKnows && UnzipTest(archive);
        allVerified = allVerified && bytes != 0 && (!haveUnzip || !item.unzipKnows || peer);
        if (bytes == 0)
            continue;
        const double ours = bytes / BestSeconds([&] { ExtractAll(archive, stream); }) / 1e6;
        const double unzip = peer ? bytes / BestSeconds([&] { UnzipTest(archive); }) / 1e6 : 0;
        if (peer)
            std::printf("%-14s %-18s %10llu %10.1f %11.1f %9.2f\n", item.file, item.methods,
                        static_cast<unsigned long long>(bytes), ours, unzip, ours / unzip);
        else
            std::printf("%-14s %-18s %10llu %10.1f %11s %9s\n", item.file, item.methods,
                        static_cast<unsigned long long>(bytes), ours, "-", "-");
    }
    if (!allVerified) {
        std::printf("FAILED: an entry did not extract with its CRC-32\n");
        return 1;
    }
    return 0;
}
