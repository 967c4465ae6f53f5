// The compiler's windows as designed, at each resolution desktops set: the
// settings dialog's places, every designed caption inside its control, the
// password shown as stars.
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "CaptionFit.h"
#include "GuiTestApp.h"
#include "MainForm.h"
#include "ScreenResolution.h"
#include "SettingsForm.h"

namespace pictomake {

namespace {

class NoRegistrar : public TFileTypeRegistrar {
public:
    void Register(const std::vector<TFileTypeKey>&) override {}
};

struct SettingsCase {
    int ppi;
    int clientWidth, clientHeight;
    TRect allowSave, password, ok;
};

const SettingsCase SettingsCases[] = {
    {96, 386, 333, Bounds(24, 168, 337, 17), Bounds(88, 228, 89, 21), Bounds(112, 280, 75, 25)},
    {120, 482, 416, Bounds(30, 210, 421, 21), Bounds(110, 285, 111, 26), Bounds(140, 350, 94, 31)},
    {144, 579, 500, Bounds(36, 252, 506, 26), Bounds(132, 342, 134, 32), Bounds(168, 420, 112, 38)},
    {192, 772, 666, Bounds(48, 336, 674, 34), Bounds(176, 456, 178, 42), Bounds(224, 560, 150, 50)},
};

} // namespace

TEST(DesignedWindowsTest, SettingsDialogAtEachResolution)
{
    TestApplication();
    for (const SettingsCase& row : SettingsCases) {
        SCOPED_TRACE(row.ppi);
        ScreenResolution resolution(row.ppi);
        TForm3 dialog;
        EXPECT_EQ(dialog.ClientWidth(), row.clientWidth);
        EXPECT_EQ(dialog.ClientHeight(), row.clientHeight);
        EXPECT_EQ(dialog.CheckBox1->BoundsRect(), row.allowSave);
        EXPECT_EQ(dialog.Edit2->BoundsRect(), row.password);
        EXPECT_EQ(dialog.BitBtn1->BoundsRect(), row.ok);
    }
}

TEST(DesignedWindowsTest, EveryDesignedCaptionFitsItsControl)
{
    TestApplication();
    for (int ppi : DesktopResolutions) {
        SCOPED_TRACE(ppi);
        ScreenResolution resolution(ppi);
        NoRegistrar registrar;
        TForm1 form(registrar, "/opt/pictoria/Pictomake", {});
        form.ProjectFileName = UntitledProject;
        form.CreatePictUnit(1); // its "Password Protect" box
        TForm3 dialog;
        EXPECT_EQ(CaptionsThatDoNotFit(form), std::vector<std::string>{});
        EXPECT_EQ(CaptionsThatDoNotFit(dialog), std::vector<std::string>{});
    }
}

TEST(DesignedWindowsTest, TheAlbumPasswordShowsAStarForEveryCharacter)
{
    TestApplication();
    TForm3 dialog;
    auto* password = static_cast<QLineEdit*>(dialog.Edit2->Widget());
    QTest::keyClicks(password, "tr1p");
    EXPECT_EQ(dialog.Edit2->Text(), "tr1p");
    EXPECT_EQ(password->displayText(), "****");
}

} // namespace pictomake
