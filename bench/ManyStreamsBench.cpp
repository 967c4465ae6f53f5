// An album of 200 pictures written two ways: one AddStreamEntry call per
// picture, each a complete build that rewrites the whole archive (O(N^2)
// bytes), and one AddStreamEntries build of all of them. Prints the bytes
// each way writes and its time, after checking that both archives list the
// same entries with the same CRCs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ZipWriter.h"

namespace {

constexpr int PictureCount = 200;
constexpr std::size_t PictureSize = 40000;

// Pictures are JPEG data: next to nothing left to compress.
std::deque<TMemoryStream> MakePictures()
{
    std::deque<TMemoryStream> pictures;
    std::mt19937 generator(11);
    for (int i = 0; i < PictureCount; ++i) {
        std::vector<std::uint8_t> bytes(PictureSize);
        for (auto& b : bytes)
            b = std::uint8_t(generator());
        pictures.emplace_back(std::move(bytes));
    }
    return pictures;
}

std::string PictureName(int i) { return "Image" + std::to_string(i + 1) + ".jpg"; }

void SetUp(TZipWriter& writer, const std::string& archive)
{
    writer.DoProcessMessages = false;
    writer.SetStorePaths(true);
    writer.SetStoreVolumes(true);
    writer.SetZipName(archive);
}

struct TRun {
    double Seconds = 0;
    std::uintmax_t BytesWritten = 0;
};

TRun OneCallPerPicture(std::deque<TMemoryStream>& pictures, const std::string& archive, TZipWriter& writer)
{
    TRun run;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < PictureCount; ++i) {
        writer.AddStreamEntry(&pictures[std::size_t(i)], PictureName(i));
        run.BytesWritten += std::filesystem::file_size(archive);
    }
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

TRun OneBuild(std::deque<TMemoryStream>& pictures, const std::string& archive, TZipWriter& writer)
{
    std::vector<TStreamEntry> entries;
    for (int i = 0; i < PictureCount; ++i)
        entries.push_back({&pictures[std::size_t(i)], PictureName(i), ""});
    TRun run;
    const auto start = std::chrono::steady_clock::now();
    writer.AddStreamEntries(entries);
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.BytesWritten = std::filesystem::file_size(archive);
    return run;
}

bool SameEntries(const TZipWriter& a, const TZipWriter& b)
{
    if (a.GetCount() != PictureCount || a.GetCount() != b.GetCount())
        return false;
    for (int i = 0; i < a.GetCount(); ++i)
        if (a.GetEntry(i).FullName() != b.GetEntry(i).FullName() || a.GetEntry(i).CRC32 != b.GetEntry(i).CRC32 ||
            a.GetEntry(i).CompressedSize != b.GetEntry(i).CompressedSize)
            return false;
    return true;
}

} // namespace

int main()
{
    std::string folder = (std::filesystem::temp_directory_path() / "manystreams-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return EXIT_FAILURE;
    std::deque<TMemoryStream> pictures = MakePictures();
    TZipWriter single;
    SetUp(single, folder + "/single.zip");
    const TRun singles = OneCallPerPicture(pictures, folder + "/single.zip", single);
    TZipWriter batch;
    SetUp(batch, folder + "/batch.zip");
    const TRun build = OneBuild(pictures, folder + "/batch.zip", batch);
    const bool same = SameEntries(single, batch);
    std::filesystem::remove_all(folder);
    if (!same) {
        std::fprintf(stderr, "the two archives differ\n");
        return EXIT_FAILURE;
    }
    std::printf("%d pictures of %zu bytes\n", PictureCount, PictureSize);
    std::printf("%-28s %14ju bytes written %9.3f s\n", "AddStreamEntry per picture", singles.BytesWritten,
                singles.Seconds);
    std::printf("%-28s %14ju bytes written %9.3f s\n", "AddStreamEntries, one build", build.BytesWritten,
                build.Seconds);
    std::printf("ratio %.1fx bytes, %.1fx time\n", double(singles.BytesWritten) / double(build.BytesWritten),
                singles.Seconds / build.Seconds);
    return EXIT_SUCCESS;
}
