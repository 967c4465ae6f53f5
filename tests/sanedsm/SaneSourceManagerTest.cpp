// Our source manager over SANE, driven through TAcquireImage against SANE's
// test device. SANE's own scanimage, run as a black box on the same device
// and settings, says what size the picture must have. Where SANE or its
// test device is missing the tests skip.
#include <sstream>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "AcquireImage.h"
#include "GlobalMemory.h"
#include "GuiTestApp.h"
#include "RunCommand.h"
#include "SaneTestDevice.h"

// SANE's backends keep strdup'ed option texts in their own statics past
// sane_exit, which then unloads them (and our source manager unloads
// libsane); LeakSanitizer no longer sees those statics and calls the texts
// leaked. Nothing in this program but SANE calls strdup.
extern "C" const char* __lsan_default_suppressions() { return "leak:strdup\n"; }

namespace {

// The size scanimage gives for the test device at these settings.
QSize PeerScanSize(int resolution, const std::string& mode)
{
    const TCommandResult scan =
        RunCommand("scanimage -d test --resolution " + std::to_string(resolution) + " --mode " + mode + " 2>/dev/null");
    std::istringstream header(scan.Output);
    std::string magic, comment;
    int width = 0, height = 0;
    header >> magic;
    header.ignore(1);
    if (header.peek() == '#')
        std::getline(header, comment);
    header >> width >> height;
    return {width, height};
}

QDialog* ShownDialog(const char* name)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == name && widget->isVisible())
            return qobject_cast<QDialog*>(widget);
    return nullptr;
}

// Presses a button of the named dialog as soon as the event loop runs.
void PressWhenShown(const char* dialog, QDialogButtonBox::StandardButton button,
                    std::function<void(QDialog&)> before = nullptr)
{
    QTimer::singleShot(0, [=] {
        QDialog* shown = ShownDialog(dialog);
        ASSERT_NE(shown, nullptr) << dialog;
        if (before)
            before(*shown);
        shown->findChild<QDialogButtonBox*>()->button(button)->click();
    });
}

class SaneSourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApplication();
        ::setenv("PICTORIA_TWAIN_DSM", SANE_DSM_LIBRARY, 1);
        ASSERT_TRUE(scanner.LoadSourceManager());
        if (scanner.OpenSourceManager() != 0)
            GTEST_SKIP() << "SANE does not start here";
        std::string name;
        scanner.GetSourceName(true, name);
        if (name != "test:0")
            GTEST_SKIP() << "SANE's test device is missing";
        liveBefore = GlobalLiveBlocks();
    }
    void TearDown() override
    {
        scanner.CloseSourceManager();
        scanner.UnloadSourceManager();
        ::unsetenv("PICTORIA_TWAIN_DSM");
        EXPECT_EQ(GlobalLiveBlocks(), liveBefore);
    }

    SaneTestDevice device;
    TAcquireImage scanner;
    std::size_t liveBefore = 0;
};

TEST_F(SaneSourceManagerTest, ScansWithoutItsDialogAtTheDevicesSettings)
{
    scanner.SHOWhideUI = false;
    ASSERT_EQ(scanner.SelectSource("test:0"), 0);
    ASSERT_EQ(scanner.OpenSource(), 0);
    std::unique_ptr<TJPEGImage> jpeg;
    ASSERT_EQ(scanner.AcquireJPEG(jpeg, 50), 0);
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(QSize(jpeg->Width(), jpeg->Height()), PeerScanSize(50, "Color"));
}

TEST_F(SaneSourceManagerTest, TheUserPicksTheDeviceAndChoosesResolutionAndGreyInItsDialog)
{
    PressWhenShown("SourceSelectDialog", QDialogButtonBox::Ok);
    ASSERT_EQ(scanner.SelectSource(""), 0);
    ASSERT_EQ(scanner.OpenSource(), 0);
    PressWhenShown("ScanSettingsDialog", QDialogButtonBox::Ok, [](QDialog& dialog) {
        dialog.findChild<QSpinBox*>("Resolution")->setValue(100);
        dialog.findChild<QComboBox*>("Mode")->setCurrentText("Gray");
    });
    std::unique_ptr<TJPEGImage> jpeg;
    ASSERT_EQ(scanner.AcquireJPEG(jpeg, 50), 0);
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(QSize(jpeg->Width(), jpeg->Height()), PeerScanSize(100, "Gray"));
    EXPECT_TRUE(jpeg->ToImage().allGray());
}

TEST_F(SaneSourceManagerTest, CancelInTheSelectionDialogOpensNoSource)
{
    PressWhenShown("SourceSelectDialog", QDialogButtonBox::Cancel);
    EXPECT_EQ(scanner.SelectSource(""), 3);
    EXPECT_EQ(scanner.OpenSource(), 3);
}

TEST_F(SaneSourceManagerTest, CancelInTheSettingsDialogEndsTheAcquisition)
{
    ASSERT_EQ(scanner.SelectSource("test:0"), 0);
    ASSERT_EQ(scanner.OpenSource(), 0);
    PressWhenShown("ScanSettingsDialog", QDialogButtonBox::Cancel);
    std::unique_ptr<TJPEGImage> jpeg;
    EXPECT_EQ(scanner.AcquireJPEG(jpeg, 50), 1);
    EXPECT_EQ(scanner.AcquireDetail(), 3);
    EXPECT_EQ(jpeg, nullptr);
}

} // namespace
