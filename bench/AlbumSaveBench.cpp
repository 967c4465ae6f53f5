// Saving an album of 200 JPEG pictures of about 1 MB each through the Save
// command (offscreen), beside `zipdriver create -l 9` of the same picture
// files in the same run. Checks the album first: every picture entry holds
// its source's bytes. Then prints each side's time, bytes written and peak
// memory, with the ratios to the driver and to the album's size.
//
// Bytes written are the process's write() bytes (/proc/self/io wchar) during
// the save, the driver's output size for the driver; peak memory is the rise
// of the resident set's high-water mark during the save over the resident
// set before it (the pictures already loaded in the window; the high-water
// mark reset through /proc/self/clear_refs), and the driver's maximum
// resident set.
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>

#include "MainForm.h"
#include "SettingsForm.h"
#include "ZipReader.h"
#include "application/Application.h"
#include "controls/Forms.h"
#include "pictures/Jpeg.h"

namespace {

constexpr int PictureCount = 200;

class NoFileTypes : public TFileTypeRegistrar {
public:
    void Register(const std::vector<TFileTypeKey>&) override {}
};

// A photo-like picture: smooth gradients with noise, which JPEG keeps at
// about 1 MB at this size and quality.
std::vector<std::uint8_t> MakeJpeg(std::mt19937& generator)
{
    QImage image(1700, 1000, QImage::Format_RGB32);
    std::uniform_int_distribution<int> noise(-40, 40);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb(std::clamp(x / 6 + noise(generator), 0, 255), std::clamp(y / 4 + noise(generator), 0, 255),
                           std::clamp(128 + noise(generator), 0, 255));
    }
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(92);
    jpeg.Assign(TBitmap(image));
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    const std::string text = stream.Text();
    return {text.begin(), text.end()};
}

std::uint64_t BytesWrittenSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "wchar:")
            return value;
    return 0;
}

void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

long PeakMemoryKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    return 0;
}

long CurrentMemoryKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    return 0;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool AlbumHoldsThePictures(const std::string& album, const std::vector<std::string>& pictures)
{
    TZipReader reader;
    reader.SetZipName(album);
    reader.ReadZip();
    if (reader.GetCount() != PictureCount + 1)
        return false;
    for (int n = 1; n <= PictureCount; ++n) {
        TMemoryStream stream;
        reader.UnZipToStreamByIndex(&stream, n);
        std::ifstream source(pictures[std::size_t(n - 1)], std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(source), {}};
        if (stream.Text() != bytes)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> arguments(argv, argv + argc);
    static char platform[] = "-platform", offscreen[] = "offscreen";
    arguments.insert(arguments.begin() + 1, {platform, offscreen});
    int count = static_cast<int>(arguments.size());
    TApplication application(count, arguments.data());
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "AlbumSaveBench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string driver = (std::filesystem::path(argv[0]).parent_path() / "zipdriver").string();

    std::mt19937 generator(7);
    std::vector<std::string> pictures;
    std::uintmax_t pictureBytes = 0;
    for (int n = 1; n <= PictureCount; ++n) {
        const std::vector<std::uint8_t> jpeg = MakeJpeg(generator);
        const std::string file = (folder / ("picture" + std::to_string(n) + ".jpg")).string();
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()),
                                                    static_cast<std::streamsize>(jpeg.size()));
        pictures.push_back(file);
        pictureBytes += jpeg.size();
    }

    // The driver runs first, while this process is small: a child's peak
    // memory counts what it inherited from its parent at exec.
    std::string command = driver + " create " + (folder / "driver.zip").string() + " -l 9";
    for (const std::string& picture : pictures)
        command += " " + picture;
    command += " >/dev/null";
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "zipdriver failed\n");
        return 1;
    }
    const double driverSeconds = Seconds(start);
    const std::uintmax_t driverBytes = std::filesystem::file_size(folder / "driver.zip");
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);


    pictomake::TForm3 settings;
    pictomake::Form3 = &settings;
    NoFileTypes registrar;
    pictomake::TForm1 form(registrar, (folder / "Pictomake").string(), std::vector<std::string>{});
    for (int n = 1; n <= PictureCount; ++n) {
        form.CreatePictUnit(n);
        form.CurrentImage = form.GetTImageofX(n);
        form.CurrentImage->Picture().LoadFromFile(pictures[std::size_t(n - 1)]);
        form.PictureSources.push_back(pictures[std::size_t(n - 1)]);
        form.PictureCount = n;
    }
    form.Title->SetText("Benchmark");
    form.ProjectFileName = (folder / "bench.pxp").string();

    const long memoryBefore = CurrentMemoryKiB();
    ResetPeakMemory();
    const std::uint64_t writtenBefore = BytesWrittenSoFar();
    start = std::chrono::steady_clock::now();
    form.Save1Click(nullptr);
    const double saveSeconds = Seconds(start);
    const std::uint64_t saveBytes = BytesWrittenSoFar() - writtenBefore;
    const long savePeak = PeakMemoryKiB() - memoryBefore;
    const std::string album = (folder / "bench.pxa").string();
    if (form.Modified || !AlbumHoldsThePictures(album, pictures)) {
        std::fprintf(stderr, "the album does not hold the pictures\n");
        return 1;
    }
    const std::uintmax_t albumSize = std::filesystem::file_size(album);

    std::printf("AlbumSaveBench: %d JPEG pictures, %.1f MB\n", PictureCount, pictureBytes / 1e6);
    std::printf("  Save:                 %7.3f s  %8.1f MB written  album %8.1f MB  peak +%6.1f MB\n", saveSeconds,
                saveBytes / 1e6, albumSize / 1e6, savePeak / 1024.0);
    std::printf("  zipdriver create -l 9 %7.3f s  %8.1f MB written                  peak  %6.1f MB\n", driverSeconds,
                driverBytes / 1e6, children.ru_maxrss / 1024.0);
    std::printf("  bytes written / album size %.3f (goal <= 1.05); time / driver's %.3f (goal <= 1.2)\n",
                double(saveBytes) / double(albumSize), saveSeconds / driverSeconds);
    pictomake::Form3 = nullptr;
    std::filesystem::remove_all(folder);
    return 0;
}
