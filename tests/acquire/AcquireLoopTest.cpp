// TAcquireImage beyond the scenario table: a machine without a source
// manager, which source is chosen, the identity it announces, and the
// event loop it runs while the source is enabled.
#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include "AcquireImage.h"
#include "AcquisitionRun.h"
#include "FakeTwain.h"
#include "GlobalMemory.h"
#include "GuiTestApp.h"

namespace {

class AcquireLoopTest : public ::testing::Test {
protected:
    AcquireLoopTest() { TestApplication(); }
};

TEST_F(AcquireLoopTest, WithoutSourceManagerEveryStepSaysOneAndReportsNothing)
{
    ::setenv("PICTORIA_TWAIN_DSM", "/nonexistent/libpictotwaindsm.so", 1);
    TAcquireImage scanner;
    const AcquisitionRun run = AcquisitionRun::Make(scanner);
    ::unsetenv("PICTORIA_TWAIN_DSM");
    EXPECT_FALSE(run.loaded);
    EXPECT_EQ(run.name, "");
    for (int result : {run.openManager, run.select, run.openSource, run.acquire, run.close})
        EXPECT_EQ(result, 1);
    EXPECT_FALSE(run.unloaded);
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(scanner.GetConditionCode(), 1);
}

// A library that loads but is no source manager: loading says false, and
// opening the manager is the one step that reports it.
TEST_F(AcquireLoopTest, ALibraryWithoutTheEntryPointIsReportedWhenOpeningTheManager)
{
    ::setenv("PICTORIA_TWAIN_DSM", GLOBALMEM_LIBRARY, 1);
    TAcquireImage scanner;
    const AcquisitionRun run = AcquisitionRun::Make(scanner);
    EXPECT_FALSE(run.loaded);
    EXPECT_FALSE(scanner.LoadSourceManager());
    ::unsetenv("PICTORIA_TWAIN_DSM");
    EXPECT_EQ(run.name, "");
    for (int result : {run.openManager, run.select, run.openSource, run.acquire, run.acquireDetail, run.close})
        EXPECT_EQ(result, 1);
    EXPECT_TRUE(run.unloaded);
    EXPECT_EQ(run.errors, (std::vector<std::pair<int, int>>{{2, 1}}));
}

// Two sources whose names agree as far as the identity keeps them: the one
// the user picked is the one opened.
TEST_F(AcquireLoopTest, TheUsersChoiceIsKeptWhenAnotherSourceSharesItsName)
{
    const std::string first = "Flatbed-scanner-in-the-back-office-1";
    const std::string second = "Flatbed-scanner-in-the-back-office-2";
    const FakeTwain fake("sources " + first + " " + second + "\nselect " + second +
                         "\nevent XFERREADY\nxfer done 24 8 6 0\n");
    TAcquireImage scanner;
    const AcquisitionRun run = AcquisitionRun::Make(scanner);
    EXPECT_EQ(run.name, second.substr(0, IdentityTextLength));
    EXPECT_EQ(run.select, 0);
    EXPECT_EQ(run.acquire, 0);
    EXPECT_EQ(fake.Opened(), second);
}

// A name that was not the user's choice finds the first source of that name.
TEST_F(AcquireLoopTest, ANameGivenBySelectSourceFindsTheFirstSourceWithIt)
{
    const std::string first = "Flatbed-scanner-in-the-back-office-1";
    const std::string second = "Flatbed-scanner-in-the-back-office-2";
    const FakeTwain fake("sources Camera " + first + " " + second + "\nselect Camera\nevent CLOSEDSREQ\n");
    TAcquireImage scanner;
    const AcquisitionRun run = AcquisitionRun::Make(scanner, second.substr(0, IdentityTextLength));
    EXPECT_EQ(run.select, 0);
    EXPECT_EQ(fake.Opened(), first);
}

TEST_F(AcquireLoopTest, DefaultSourceIsNamedWithoutADialog)
{
    const FakeTwain fake("sources Camera Flatbed\n");
    TAcquireImage scanner;
    ASSERT_TRUE(scanner.LoadSourceManager());
    ASSERT_EQ(scanner.OpenSourceManager(), 0);
    std::string name;
    scanner.GetSourceName(true, name);
    EXPECT_EQ(name, "Camera");
    EXPECT_EQ(scanner.CloseSourceManager(), 0);
    EXPECT_TRUE(scanner.UnloadSourceManager());
    EXPECT_EQ(fake.Calls(), "PARENT OPENDSM 0, IDENTITY GETDEFAULT 0, PARENT CLOSEDSM 0");
}

TEST_F(AcquireLoopTest, IdentityAnnouncesProtocolOneEightAndKeepsTextsInTheirFields)
{
    const FakeTwain fake("sources Flatbed\n");
    TAcquireImage scanner;
    scanner.SetAppManufacturer(std::string(60, 'm'));
    scanner.SetAppProductName("Pictoria Compiler");
    ASSERT_TRUE(scanner.LoadSourceManager());
    ASSERT_EQ(scanner.OpenSourceManager(), 0);
    scanner.CloseSourceManager();
    scanner.UnloadSourceManager();
    EXPECT_EQ(fake.Identity(),
              "Twain Freeware Component|" + std::string(33, 'm') + "|none|Pictoria Compiler protocol 1.8 groups 2");
}

// While the source waits for its user the application's events are
// handled; a second acquisition started from one of them is refused
// without a single call reaching the source manager.
TEST_F(AcquireLoopTest, ApplicationEventsRunDuringTheLoopAndCannotStartASecondAcquisition)
{
    const FakeTwain fake("sources Flatbed\nselect Flatbed\nevent NONE\nevent XFERREADY\nxfer done 24 8 6 0\n");
    TAcquireImage scanner;
    bool handled = false;
    QTimer::singleShot(0, [&] {
        handled = true;
        EXPECT_TRUE(scanner.Acquiring());
        std::unique_ptr<TJPEGImage> second;
        EXPECT_FALSE(scanner.LoadSourceManager());
        EXPECT_EQ(scanner.OpenSourceManager(), 1);
        EXPECT_EQ(scanner.AcquireJPEG(second, 50), 1);
        EXPECT_EQ(scanner.CloseSourceManager(), 1);
        EXPECT_FALSE(scanner.UnloadSourceManager());
        EXPECT_EQ(second, nullptr);
    });
    const AcquisitionRun run = AcquisitionRun::Make(scanner);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(scanner.Acquiring());
    EXPECT_EQ(run.acquire, 0);
    EXPECT_EQ(run.picture, QSize(8, 6));
    EXPECT_EQ(fake.Calls(), "PARENT OPENDSM 0, IDENTITY USERSELECT 0, IDENTITY GETFIRST 0, IDENTITY OPENDS 0, "
                            "CAPABILITY SET 0, USERINTERFACE ENABLEDS 0, EVENT PROCESSEVENT 5, "
                            "EVENT PROCESSEVENT 4, IMAGENATIVEXFER GET 6, PENDINGXFERS ENDXFER 0, "
                            "USERINTERFACE DISABLEDS 0, IDENTITY CLOSEDS 0, PARENT CLOSEDSM 0");
}

// Asked to quit while the source waits, the acquisition ends as cancelled
// and the application's own loop still ends.
TEST_F(AcquireLoopTest, QuitDuringTheLoopEndsItAndReachesTheApplication)
{
    const FakeTwain fake("sources Flatbed\nselect Flatbed\n");
    const std::size_t liveBefore = GlobalLiveBlocks();
    TAcquireImage scanner;
    AcquisitionRun run;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        run = AcquisitionRun::Make(scanner);
    });
    QCoreApplication::exec(); // returns only when the quit was not lost
    EXPECT_EQ(run.acquire, 1);
    EXPECT_EQ(run.acquireDetail, 3);
    EXPECT_EQ(run.errors, (std::vector<std::pair<int, int>>{{5, 3}}));
    EXPECT_EQ(run.close, 0);
    EXPECT_EQ(GlobalLiveBlocks(), liveBefore);
}

} // namespace
