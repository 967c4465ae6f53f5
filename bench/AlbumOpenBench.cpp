// Opening an album in the viewer: 300 pictures of 640 x 480, every tenth
// protected, read into the film strip offscreen. Checks that every picture
// is there and fitted inside its frame before it prints the opening's time
// and the program's peak memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <QtGlobal>

#include "Application.h"
#include "Dialogs.h"
#include "Graphics.h"
#include "Jpeg.h"
#include "KeyWordScrambling.h"
#include "MainForm.h"
#include "ZipWriter.h"

namespace {

constexpr int PictureCount = 300;
constexpr int ProtectedEvery = 10;
const std::string Password = "secret";

// Answers the password question; no other dialog is expected.
class PasswordDialogs : public TDialogs {
public:
    int MessageBox(const std::string&, const std::string&, unsigned) override { return IDOK; }
    bool InputQuery(const std::string&, const std::string&, std::string& value) override
    {
        value = Password;
        return true;
    }
    bool ExecuteOpen(TOpenDialog&) override { return false; }
    bool ExecuteSave(TSaveDialog&) override { return false; }
    std::optional<std::string> SelectFolder(const std::string&, const std::string&) override { return {}; }
    std::optional<TModalResult> ShowModal(TForm&) override { return mrCancel; }
};

std::vector<std::uint8_t> PictureBytes(int n)
{
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(static_cast<QRgb>(n * 0x010203)));
    TJPEGImage jpeg;
    jpeg.Assign(TBitmap(image));
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    const std::string text = stream.Text();
    return {text.begin(), text.end()};
}

void WriteAlbum(const std::string& fileName)
{
    std::string settings;
    for (int n = 1; n <= PictureCount; ++n) {
        const std::string caption = "Picture " + std::to_string(n);
        const bool locked = n % ProtectedEvery == 0;
        settings += "[Image" + std::to_string(n) + "]\r\nCaption=" +
                    (locked ? pictoalbum::Encrypt(caption, pictoalbum::GetWordPass(Password)) : caption) + "\r\n\r\n";
    }
    settings += "[Settings]\r\nAllowSave=1\r\nTitle=Bench\r\nShowSlide=0\r\n";
    std::deque<TMemoryStream> streams;
    streams.emplace_back(std::vector<std::uint8_t>(settings.begin(), settings.end()));
    std::vector<TStreamEntry> entries = {{&streams.back(), "pictoview.ini", ""}};
    for (int n = 1; n <= PictureCount; ++n) {
        streams.emplace_back(PictureBytes(n));
        entries.push_back({&streams.back(), "Image" + std::to_string(n) + ".jpg",
                           n % ProtectedEvery == 0 ? Password : ""});
    }
    TZipWriter writer;
    writer.DoProcessMessages = false;
    writer.SetZipName(fileName);
    writer.AddStreamEntries(entries);
}

bool StripComplete(const pictoview::TForm1& form)
{
    if (form.PictureCount != PictureCount)
        return false;
    for (int n = 1; n <= PictureCount; ++n) {
        const TImage* image = form.GetTImageofX(n);
        if (!image || image->Picture().Width() != 640 || image->Width() > 103 || image->Height() > 103)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    PasswordDialogs dialogs;
    TDialogsScope scope(dialogs);
    const std::string album = (std::filesystem::temp_directory_path() / "AlbumOpenBench.pxa").string();
    WriteAlbum(album);

    pictoview::TForm1 form(std::vector<std::string>{});
    form.AlbumFileName = album;
    const auto start = std::chrono::steady_clock::now();
    form.OpenAlbum();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool complete = StripComplete(form);
    std::filesystem::remove(album);
    if (!complete) {
        std::fprintf(stderr, "the film strip is not complete\n");
        return EXIT_FAILURE;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d pictures of 640 x 480 (%d protected) opened in %.3f s, peak memory %ld KiB\n", PictureCount,
                PictureCount / ProtectedEvery, seconds, usage.ru_maxrss);
    return EXIT_SUCCESS;
}
