// An album saved through the compiler's own Save command opens in the
// viewer with every picture, every caption (a protected one unscrambled with
// the album password), the title and the settings as they were set.
#include <string>
#include <vector>

#include "AlbumWindowFixture.h"
#include "ScriptedDialogs.h"
#include "ViewerWindow.h"

namespace pictomake {

namespace {

class CompiledAlbumTest : public AlbumWindowFixture {};

struct AlbumPicture {
    std::string fileName;
    int width;
    bool jpeg;
    std::string caption;
    bool isProtected;
};

} // namespace

TEST_F(CompiledAlbumTest, TheViewerShowsWhatTheCompilerSaved)
{
    const AlbumPicture pictures[] = {
        {"beach.jpg", 41, true, "Beach at noon", false},
        {"hut.bmp", 42, false, "Hütte am Strand", false},
        {"dunes.jpg", 43, true, "Dünen – geschützt", true},
        {"sea.jpg", 44, true, "Sea", false},
        // Scrambled with "secret", these end in a zero byte and a line feed.
        {"p2.jpg", 45, true, "Picture 2", true},
        {"p8.jpg", 46, true, "Picture 8", true},
    };
    NewWindow();
    for (const AlbumPicture& picture : pictures)
        AddFromFile(dir.Write(picture.fileName, PictureOfSize(picture.width, 30, picture.jpeg)), picture.caption,
                    picture.isProtected);
    form->Title->SetText("Été");
    settings.dialog.SetSettings({"secret", false, "Été", true});
    form->ProjectFileName = dir.File("trip.pxp");
    {
        const ScriptedDialogs noPrompts;
        form->Save1Click(nullptr);
    }

    pictoview::ViewerWindow viewer;
    ScriptedDialogs dialogs;
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "secret");
    viewer.Open(dir.File("trip.pxa"));
    dialogs.Verify();

    ASSERT_EQ(viewer.form.PictureCount, static_cast<int>(std::size(pictures)));
    for (int n = 1; n <= viewer.form.PictureCount; ++n) {
        SCOPED_TRACE(pictures[n - 1].fileName);
        EXPECT_EQ(viewer.PictureWidth(n), pictures[n - 1].width);
        EXPECT_EQ(viewer.Caption(n), pictures[n - 1].caption);
    }
    EXPECT_EQ(viewer.form.AlbumTitle, "Été");
    EXPECT_EQ(viewer.form.Caption(), "Été - Pictoria");
    EXPECT_FALSE(viewer.form.LoadPicture1->Enabled()) << "AllowSave off";
    EXPECT_TRUE(viewer.form.AutoSlideShow);
}

} // namespace pictomake
