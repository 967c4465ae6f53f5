// An album as a Windows-made program stores it: entry names without a
// leading "/", a settings text in Windows-1252 with CRLF line ends. The
// viewer shows its captions and title decoded. Python's zipfile writes it,
// a peer that knows nothing of our writer.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AlbumFixture.h"
#include "GuiTestApp.h"
#include "PeerArchives.h"
#include "RunCommand.h"
#include "ScriptedDialogs.h"
#include "TempDir.h"
#include "ViewerWindow.h"

namespace pictoview {

namespace {

// Writes the album sys.argv[1] of the settings file sys.argv[2] and the
// pictures after it, each entry by the plain name Windows gives it.
const char* const WindowsAlbumScript = R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    z.write(sys.argv[2], "pictoview.ini")
    for n, picture in enumerate(sys.argv[3:], 1):
        z.write(picture, "Image%d.jpg" % n)
)";

} // namespace

TEST(WindowsAlbumTest, CaptionsAndTitleInWindows1252AreShownDecoded)
{
    const struct {
        int width;
        std::string storedCaption;
        std::string shownCaption;
    } pictures[] = {
        {41, "Caf\xE9 au lait", "Café au lait"},
        {42, "Stra\xDF" "e, 5 \x80", "Straße, 5 €"},
        {43, "Plain", "Plain"},
    };
    TestApplication();
    const TempDir dir;
    std::string settingsText;
    std::vector<std::string> arguments = {dir.File("windows.pxa"), dir.File("pictoview.ini")};
    for (int n = 1; n <= 3; ++n) {
        const std::string number = std::to_string(n);
        settingsText += "[Image" + number + "]\r\nPicture=C:\\Pictures\\photo" + number + ".jpg\r\nCaption=" +
                        pictures[n - 1].storedCaption + "\r\n\r\n";
        arguments.push_back(dir.Write("photo" + number + ".jpg", JpegBytes(pictures[n - 1].width, 30)));
    }
    settingsText += "[Settings]\r\nAllowSave=1\r\nTitle=Sch\xF6n\r\nShowSlide=0\r\n";
    dir.Write("pictoview.ini", settingsText);
    RunChecked(PythonCommand(dir, "album.py", WindowsAlbumScript, arguments));

    ViewerWindow viewer;
    const ScriptedDialogs noPrompts;
    viewer.Open(dir.File("windows.pxa"));

    ASSERT_EQ(viewer.form.PictureCount, 3);
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(viewer.PictureWidth(n), pictures[n - 1].width);
        EXPECT_EQ(viewer.Caption(n), pictures[n - 1].shownCaption);
    }
    EXPECT_EQ(viewer.form.AlbumTitle, "Schön");
    EXPECT_EQ(viewer.form.Caption(), "Schön - Pictoria");
    EXPECT_TRUE(viewer.form.LoadPicture1->Enabled());
    EXPECT_FALSE(viewer.form.AutoSlideShow);
}

} // namespace pictoview
