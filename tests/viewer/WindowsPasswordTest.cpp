// A password typed here is UTF-8; an album made on Windows was locked with
// the password's Windows-1252 bytes and its protected captions scrambled
// with their key word. The viewer opens both kinds with the one typed text.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AlbumFixture.h"
#include "CheckByteRefusal.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "ScriptedDialogs.h"
#include "SlideShowForm.h"
#include "TempDir.h"

namespace pictoview {

namespace {

const std::string Typed = "p\xC3\xA9x";   // "péx" as typed
const std::string Windows = "p\xE9x";     // the same in Windows-1252

class WindowsPasswordTest : public ::testing::Test {
protected:
    WindowsPasswordTest() { pictoalbum::Form2 = &slides; }
    ~WindowsPasswordTest() override { pictoalbum::Form2 = nullptr; }

    TLabel& Label(int n) const { return dynamic_cast<TLabel&>(*form->FindComponent("Label" + std::to_string(n))); }
    const TGraphic* Graphic(int n) const { return form->GetTImageofX(n)->Picture().Graphic(); }

    TApplication& application = TestApplication();
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(std::vector<std::string>{});
    pictoalbum::TForm2 slides{*form};
    TempDir dir;
};

} // namespace

TEST_F(WindowsPasswordTest, OneTypedTextOpensEntriesLockedWithEitherForm)
{
    const struct {
        const char* name;
        std::string first, second; // the bytes each entry was locked with
    } cases[] = {
        {"made on Windows", Windows, Windows},
        {"made here", Typed, Typed},
        {"one of each", Windows, Typed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The typed text is tried first: the check byte of each entry
        // locked with the Windows form must refuse it, which it fails to do
        // 1 time in 256, the entry then damaged. The album is written again
        // until they all do.
        std::vector<std::string> lockedWithWindows;
        if (c.first == Windows)
            lockedWithWindows.push_back("Image1.jpg");
        if (c.second == Windows)
            lockedWithWindows.push_back("Image3.jpg");
        const std::string album = dir.File("album.pxa");
        ASSERT_TRUE(MadeUntilRefused(
            [&] {
                std::filesystem::remove(album);
                WriteAlbum(album, {{JpegBytes(41, 30), "Caf\xE9", c.first}, {JpegBytes(42, 30), "Tea", ""},
                                   {JpegBytes(43, 30), "Cr\xC3\xAA" "pe", c.second}});
            },
            [&] { return EntriesTheCheckByteRefuses(album, Typed) == lockedWithWindows; }));
        form->CloseAlbum();
        ScriptedDialogs dialogs;
        dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", Typed);
        form->AlbumFileName = dir.File("album.pxa");
        form->OpenAlbum();
        dialogs.Verify();
        ASSERT_EQ(form->PictureCount, 3);
        for (int n = 1; n <= 3; ++n) {
            ASSERT_NE(Graphic(n), nullptr) << n;
            EXPECT_EQ(Graphic(n)->Width(), 40 + n);
        }
        EXPECT_EQ(Label(1).Caption(), "Caf\xC3\xA9");
        EXPECT_EQ(Label(2).Caption(), "Tea");
        EXPECT_EQ(Label(3).Caption(), "Cr\xC3\xAA" "pe");
    }
}

TEST_F(WindowsPasswordTest, AWrongTextIsAskedAgainOnceForAllItsForms)
{
    // Both forms of the wrong text, then the typed form of the right one,
    // must be refused by the check byte, which a wrong password passes 1 time
    // in 256: the album is written again until it refuses all three.
    const std::string album = dir.File("album.pxa");
    ASSERT_TRUE(MadeUntilRefused(
        [&] {
            std::filesystem::remove(album);
            WriteAlbum(album, {{JpegBytes(41, 30), "one", Windows}});
        },
        [&] { return CheckBytesRefuse(album, {"p\xC3\xA4x", "p\xE4x", Typed}); }));
    ScriptedDialogs dialogs;
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "p\xC3\xA4x");
    dialogs.ExpectInputQuery("Password", "Wrong Password. Please Enter the Password Here", Typed);
    form->AlbumFileName = dir.File("album.pxa");
    form->OpenAlbum();
    dialogs.Verify();
    EXPECT_TRUE(dialogs.LastQueryMasked()) << "the password shows as stars";
    ASSERT_NE(Graphic(1), nullptr);
    EXPECT_EQ(Label(1).Caption(), "one");
}

} // namespace pictoview
