// Opening an album in the viewer: 255 photographs of 4000 x 3000 pixels
// (about 3 MB of JPEG each, about 750 MB in all) read into the film strip
// offscreen through OpenAlbum, beside the floor measured in the same run:
// libjpeg decoding every picture at 1/8 scale from the same bytes. Checks
// the strip first (every thumbnail there, fitted inside its frame, decoded at
// scale), then prints the opening's time and peak memory with the goals.
//
// The pictures are four generated photographs (gradients and sensor noise,
// encoded once at quality 90), each picture a copy of one with its number in
// a JPEG comment, so every entry's bytes differ but making them takes
// seconds. A child process writes the album, as the compiler does (deflate
// level 9, stored paths), so this process never holds the whole album.
//
// Peak memory is the rise of the resident set's high-water mark during the
// opening over the resident set before it (the high-water mark reset through
// /proc/self/clear_refs after the floor was measured).
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <QtGlobal>

#include "AlbumFile.h"
#include "AlbumPicture.h"
#include "MadePhotograph.h"
#include "MainForm.h"
#include "Stream.h"
#include "ZipWriter.h"
#include "application/Application.h"
#include "dialogs/Dialogs.h"
#include "pictures/Graphics.h"
#include "pictures/Jpeg.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

constexpr int PictureCount = 255;
constexpr int DistinctPictures = 4;
constexpr unsigned PictureWidth = 4000;
constexpr unsigned PictureHeight = 3000;
constexpr int PeakMemoryGoalMB = 500;
constexpr double TimeGoalToFloor = 2.0;

// No dialog is expected; any question is answered with the default.
class NoDialogs : public TDialogs {
public:
    int MessageBox(const std::string&, const std::string&, unsigned) override { return IDOK; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    bool ExecuteOpen(TOpenDialog&) override { return false; }
    bool ExecuteSave(TSaveDialog&) override { return false; }
    std::optional<std::string> SelectFolder(const std::string&, const std::string&) override { return {}; }
    std::optional<TModalResult> ShowModal(TForm&) override { return mrCancel; }
};

// Picture n: one of the photographs with "Picture n" in a comment segment
// right after the start-of-image marker.
TBytes PictureBytes(const std::vector<TBytes>& photographs, int n)
{
    const TBytes& photograph = photographs[std::size_t(n % DistinctPictures)];
    const std::string comment = "Picture " + std::to_string(n);
    const std::size_t length = comment.size() + 2;
    TBytes bytes(photograph.begin(), photograph.begin() + 2);
    bytes.insert(bytes.end(), {0xFF, 0xFE, std::uint8_t(length >> 8), std::uint8_t(length & 0xFF)});
    bytes.insert(bytes.end(), comment.begin(), comment.end());
    bytes.insert(bytes.end(), photograph.begin() + 2, photograph.end());
    return bytes;
}

void WriteAlbum(const std::string& fileName, const std::vector<TBytes>& photographs)
{
    pictoalbum::TAlbumSettingsText settings{{}, true, "Bench", false};
    for (int n = 1; n <= PictureCount; ++n)
        settings.Pictures.push_back({"picture" + std::to_string(n) + ".jpg", "Picture " + std::to_string(n)});
    const std::string text = pictoalbum::AlbumSettingsFileText(settings);
    TMemoryStream settingsStream(TBytes(text.begin(), text.end()));
    std::vector<TStreamEntry> entries{{&settingsStream, pictoalbum::AlbumSettingsEntryName, ""}};
    std::vector<TBytes> pictures;
    pictures.reserve(PictureCount);
    std::vector<std::unique_ptr<TReadOnlyMemoryStream>> streams;
    for (int n = 1; n <= PictureCount; ++n) {
        pictures.push_back(PictureBytes(photographs, n));
        streams.push_back(std::make_unique<TReadOnlyMemoryStream>(pictures.back()));
        entries.push_back({streams.back().get(), pictoalbum::AlbumPictureEntryName(n), ""});
    }
    TZipWriter writer;
    writer.PackLevel = 9;
    writer.SetStorePaths(true);
    writer.SetStoreVolumes(true);
    writer.OverwriteMode = Always;
    writer.DoProcessMessages = false;
    writer.SetZipName(fileName);
    writer.AddStreamEntries(entries);
}

// In a child process, so the album's bytes never count in this one's memory.
bool WriteAlbumApart(const std::string& fileName, const std::vector<TBytes>& photographs)
{
    const pid_t child = fork();
    if (child == 0) {
        try {
            WriteAlbum(fileName, photographs);
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// libjpeg's own decode of the picture at 1/8 scale, every scanline read.
bool DecodeAtEighth(const TBytes& bytes)
{
    jpeg_decompress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&jpeg);
    jpeg_mem_src(&jpeg, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&jpeg, TRUE);
    jpeg.scale_num = 1;
    jpeg.scale_denom = 8;
    jpeg_start_decompress(&jpeg);
    std::vector<JSAMPLE> row(std::size_t{jpeg.output_width} * jpeg.output_components);
    while (jpeg.output_scanline < jpeg.output_height) {
        JSAMPROW line = row.data();
        jpeg_read_scanlines(&jpeg, &line, 1);
    }
    const bool eighth = jpeg.output_width == PictureWidth / 8 && jpeg.output_height == PictureHeight / 8;
    jpeg_finish_decompress(&jpeg);
    jpeg_destroy_decompress(&jpeg);
    return eighth;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The floor: every picture's bytes decoded at 1/8 scale. Only the decoding
// is timed, not the making of each picture's bytes.
std::optional<double> FloorSeconds(const std::vector<TBytes>& photographs)
{
    double seconds = 0;
    for (int n = 1; n <= PictureCount; ++n) {
        const TBytes bytes = PictureBytes(photographs, n);
        const auto start = std::chrono::steady_clock::now();
        if (!DecodeAtEighth(bytes))
            return std::nullopt;
        seconds += Seconds(start);
    }
    return seconds;
}

long StatusKiB(const std::string& key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with(key))
            return std::stol(line.substr(key.size()));
    return 0;
}

void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Every frame shows its picture at its whole size, fitted inside the frame,
// holding only the strip's small copy of it.
bool StripComplete(const pictoview::TForm1& form)
{
    if (form.PictureCount != PictureCount)
        return false;
    for (int n = 1; n <= PictureCount; ++n) {
        const TImage* image = form.GetTImageofX(n);
        if (!image)
            return false;
        const auto* picture = dynamic_cast<const pictoview::TAlbumPicture*>(image->Picture().Graphic());
        const auto* panel = dynamic_cast<const TPanel*>(image->Parent());
        if (!picture || !panel || picture->Width() != int(PictureWidth) || picture->Height() != int(PictureHeight) ||
            image->Left() < 0 || image->Top() < 0 || image->Left() + image->Width() > panel->ClientWidth() ||
            image->Top() + image->Height() > panel->ClientHeight())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    auto start = std::chrono::steady_clock::now();
    std::vector<TBytes> photographs;
    std::size_t albumBytes = 0;
    for (std::uint32_t seed = 0; seed < DistinctPictures; ++seed)
        photographs.push_back(MadePhotograph(PictureWidth, PictureHeight, seed, 90));
    for (int n = 1; n <= PictureCount; ++n)
        albumBytes += photographs[std::size_t(n % DistinctPictures)].size();
    const std::string album = (std::filesystem::temp_directory_path() / "AlbumOpenBench.pxa").string();
    // Before Qt starts its threads, which a forked child would not have.
    if (!WriteAlbumApart(album, photographs)) {
        std::fprintf(stderr, "the album could not be written\n");
        return EXIT_FAILURE;
    }
    const double makingSeconds = Seconds(start);

    const std::optional<double> floor = FloorSeconds(photographs);
    if (!floor) {
        std::filesystem::remove(album);
        std::fprintf(stderr, "libjpeg did not decode the pictures at 1/8 scale\n");
        return EXIT_FAILURE;
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    NoDialogs dialogs;
    TDialogsScope scope(dialogs);
    pictoview::TForm1 form(std::vector<std::string>{});
    form.AlbumFileName = album;
    const long memoryBefore = StatusKiB("VmRSS:");
    ResetPeakMemory();
    start = std::chrono::steady_clock::now();
    form.OpenAlbum();
    const double openSeconds = Seconds(start);
    const double peakRiseMB = (StatusKiB("VmHWM:") - memoryBefore) * 1024 / 1e6;
    const std::uintmax_t albumSize = std::filesystem::file_size(album);
    const bool complete = StripComplete(form);
    std::filesystem::remove(album);
    if (!complete) {
        std::fprintf(stderr, "the film strip is not complete\n");
        return EXIT_FAILURE;
    }

    std::printf("AlbumOpenBench: %d pictures of %u x %u, %.1f MB of JPEG, album %.1f MB (made in %.1f s)\n",
                PictureCount, PictureWidth, PictureHeight, albumBytes / 1e6, albumSize / 1e6, makingSeconds);
    std::printf("  OpenAlbum until the strip is complete  %7.3f s  peak memory +%6.1f MB\n", openSeconds, peakRiseMB);
    std::printf("  (peak memory: the rise of VmHWM during the opening over VmRSS before it)\n");
    std::printf("  libjpeg at 1/8 scale, every picture    %7.3f s  (the floor)\n", *floor);
    std::printf("  time / floor %.2f (goal <= %.1f); peak memory %s the goal of %d MB\n", openSeconds / *floor,
                TimeGoalToFloor, peakRiseMB < PeakMemoryGoalMB ? "within" : "OVER", PeakMemoryGoalMB);
    return EXIT_SUCCESS;
}
