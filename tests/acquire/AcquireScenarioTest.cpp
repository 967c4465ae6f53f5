// The acquisition's scenarios through the scripted source manager: each
// step's result code, the errors reported with their TWAIN state, the calls
// the source manager saw, and no image block left behind or freed twice.
#include <ostream>

#include <gtest/gtest.h>

#include "AcquireImage.h"
#include "AcquisitionRun.h"
#include "FakeTwain.h"
#include "GlobalMemory.h"
#include "GuiTestApp.h"

namespace {

using Errors = std::vector<std::pair<int, int>>;

// The result codes of OpenSourceManager, SelectSource, OpenSource,
// AcquireJPEG (with AcquireDetail) and CloseSourceManager.
struct Results {
    int openManager, select, openSource, acquire, detail, close;
    bool operator==(const Results&) const = default;
};

struct Scenario {
    const char* name;
    std::string script;
    Results results;
    Errors errors;
    QSize picture;
    std::string calls;
    std::string selectName = ""; // given to SelectSource in place of the user's choice
};

void PrintTo(const Results& results, std::ostream* out)
{
    *out << std::hex << "{" << results.openManager << ", " << results.select << ", " << results.openSource << ", "
         << results.acquire << ", " << results.detail << ", " << results.close << "}";
}

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

const std::string Open = "PARENT OPENDSM 0, IDENTITY USERSELECT 0, IDENTITY GETFIRST 0, ";
const std::string Enabled = Open + "IDENTITY OPENDS 0, CAPABILITY SET 0, USERINTERFACE ENABLEDS 0, ";
const std::string Transferred = "EVENT PROCESSEVENT 4, IMAGENATIVEXFER GET 6, PENDINGXFERS ENDXFER 0, ";
const std::string Closed = "USERINTERFACE DISABLEDS 0, IDENTITY CLOSEDS 0, PARENT CLOSEDSM 0";
const std::string Chosen = "sources Flatbed\nselect Flatbed\n";
const std::string OneImage = Chosen + "event XFERREADY\n";

// clang-format off
const std::vector<Scenario>& Scenarios()
{
    static const std::vector<Scenario> scenarios = {
        {"ColourImage", OneImage + "xfer done 24 40 30 0\n",
         {0, 0, 0, 0, 0, 0}, {}, {40, 30}, Enabled + Transferred + Closed},
        {"GreyImage", OneImage + "xfer done 8 40 30 0\n",
         {0, 0, 0, 0, 0, 0}, {}, {40, 30}, Enabled + Transferred + Closed},
        {"ManagerFailsWithCondition", "sources Flatbed\nanswer PARENT OPENDSM 1 4\n",
         {0x8004, 0x8004, 0x8004, 1, 0x8004, 0}, {{2, 0x8004}}, {}, "PARENT OPENDSM 1, STATUS GET 0"},
        {"ManagerFailsWithoutCondition", "answer PARENT OPENDSM 1 0\n",
         {1, 1, 1, 1, 1, 0}, {{2, 1}}, {}, "PARENT OPENDSM 1, STATUS GET 0"},
        {"ManagerAnswersOtherCode", "answer PARENT OPENDSM 9 0\n",
         {9, 9, 9, 1, 9, 0}, {{2, 9}}, {}, "PARENT OPENDSM 9"},
        {"SelectionCancelledOnce", "sources Flatbed\nselect cancel\n",
         {0, 3, 3, 1, 3, 0}, {{3, 3}}, {}, "PARENT OPENDSM 0, IDENTITY USERSELECT 3, PARENT CLOSEDSM 0"},
        {"NoSources", "select Flatbed\n",
         {0, 0x8003, 0x8003, 1, 0x8003, 0}, {{3, 1}, {3, 0x8003}}, {},
         "PARENT OPENDSM 0, IDENTITY USERSELECT 1, IDENTITY USERSELECT 1, STATUS GET 0, PARENT CLOSEDSM 0"},
        {"NameNoSourceHas", "sources Flatbed Camera\nselect Camera\n",
         {0, 7, 7, 1, 7, 0}, {{3, 7}}, {},
         "PARENT OPENDSM 0, IDENTITY USERSELECT 0, IDENTITY GETFIRST 0, IDENTITY GETNEXT 0, IDENTITY GETNEXT 7, "
         "PARENT CLOSEDSM 0", "Nobody"},
        {"SourceWillNotOpen", Chosen + "answer IDENTITY OPENDS 1 3\n",
         {0, 0, 0x8003, 1, 0x8003, 0}, {{4, 0x8003}}, {}, Open + "IDENTITY OPENDS 1, STATUS GET 0, PARENT CLOSEDSM 0"},
        {"CountReadBack", Chosen + "checkstatus\nevent XFERREADY\nxfer done 24 8 6 0\n",
         {0, 0, 0, 0, 0, 0}, {}, {8, 6},
         Open + "IDENTITY OPENDS 0, CAPABILITY SET 2, CAPABILITY GET 0, USERINTERFACE ENABLEDS 0, " + Transferred +
             Closed},
        {"CountRefused", Chosen + "answer CAPABILITY SET 1 6\nevent XFERREADY\nxfer done 24 8 6 0\n",
         {0, 0, 0x8006, 0, 0, 0}, {{4, 0x8006}}, {8, 6},
         Open + "IDENTITY OPENDS 0, CAPABILITY SET 1, STATUS GET 0, USERINTERFACE ENABLEDS 0, " + Transferred + Closed},
        {"EnableFails", Chosen + "answer USERINTERFACE ENABLEDS 1 5\n",
         {0, 0, 0, 1, 0x8005, 0}, {{5, 0x8005}}, {},
         Open + "IDENTITY OPENDS 0, CAPABILITY SET 0, USERINTERFACE ENABLEDS 1, STATUS GET 0, IDENTITY CLOSEDS 0, "
                "PARENT CLOSEDSM 0"},
        {"EnableFailsWithoutCondition", Chosen + "answer USERINTERFACE ENABLEDS 1 0\n",
         {0, 0, 0, 1, 1, 0}, {{5, 1}}, {},
         Open + "IDENTITY OPENDS 0, CAPABILITY SET 0, USERINTERFACE ENABLEDS 1, STATUS GET 0, IDENTITY CLOSEDS 0, "
                "PARENT CLOSEDSM 0"},
        {"ClosedBeforeScanning", Chosen + "event CLOSEDSREQ\n",
         {0, 0, 0, 1, 3, 0}, {{5, 3}}, {}, Enabled + "EVENT PROCESSEVENT 4, " + Closed},
        {"EventProcessingFails", Chosen + "event FAILURE 9\n",
         {0, 0, 0, 1, 0x8009, 0}, {{6, 0x8009}}, {}, Enabled + "EVENT PROCESSEVENT 1, STATUS GET 0, " + Closed},
        {"TransferCancelled", OneImage + "xfer cancel 0\n",
         {0, 0, 0, 1, 3, 0}, {{7, 3}}, {},
         Enabled + "EVENT PROCESSEVENT 4, IMAGENATIVEXFER GET 3, PENDINGXFERS ENDXFER 0, " + Closed},
        {"TransferCancelledWithMorePending", OneImage + "xfer cancel 2\n",
         {0, 0, 0, 1, 3, 0}, {{7, 3}}, {},
         Enabled + "EVENT PROCESSEVENT 4, IMAGENATIVEXFER GET 3, PENDINGXFERS ENDXFER 0, PENDINGXFERS RESET 0, " +
             Closed},
        {"TransferFails", OneImage + "xfer fail 2\n",
         {0, 0, 0, 1, 0x8002, 0}, {{7, 0x8002}}, {},
         Enabled + "EVENT PROCESSEVENT 4, IMAGENATIVEXFER GET 1, STATUS GET 0, PENDINGXFERS RESET 0, " + Closed},
        {"TransferAnswersOtherCode", OneImage + "answer IMAGENATIVEXFER GET 9 0\n",
         {0, 0, 0, 1, 9, 0}, {{7, 9}}, {},
         Enabled + "EVENT PROCESSEVENT 4, IMAGENATIVEXFER GET 9, PENDINGXFERS RESET 0, " + Closed},
        {"DamagedImage", OneImage + "xfer done 24 0 0 0\n",
         {0, 0, 0, 1, 1, 0}, {{7, 1}}, {}, Enabled + Transferred + Closed},
        {"LaterImageReplacesEarlier", OneImage + "xfer done 24 10 10 1\nevent XFERREADY\nxfer done 24 40 30 0\n",
         {0, 0, 0, 0, 0, 0}, {}, {40, 30}, Enabled + Transferred + Transferred + Closed},
        {"ClosedWithImagesPending", OneImage + "xfer done 24 10 10 1\nevent CLOSEDSREQ\n",
         {0, 0, 0, 1, 3, 0}, {{7, 3}}, {},
         Enabled + Transferred + "EVENT PROCESSEVENT 4, PENDINGXFERS RESET 0, " + Closed},
        {"ManagerWillNotClose", OneImage + "xfer done 24 8 6 0\nanswer PARENT CLOSEDSM 1 11\n",
         {0, 0, 0, 0, 0, 0x800B}, {}, {8, 6},
         Enabled + Transferred + "USERINTERFACE DISABLEDS 0, IDENTITY CLOSEDS 0, PARENT CLOSEDSM 1, STATUS GET 0"},
    };
    return scenarios;
}
// clang-format on

class AcquireScenarioTest : public ::testing::TestWithParam<Scenario> {
protected:
    AcquireScenarioTest() { TestApplication(); }
};

TEST_P(AcquireScenarioTest, ResultsReportsCallsAndBlocks)
{
    const Scenario& scenario = GetParam();
    const FakeTwain fake(scenario.script);
    const std::size_t liveBefore = GlobalLiveBlocks();
    const std::size_t refusedBefore = GlobalRefusedFrees();
    TAcquireImage scanner;
    const AcquisitionRun run = AcquisitionRun::Make(scanner, scenario.selectName);
    EXPECT_TRUE(run.loaded);
    const Results results{run.openManager, run.select, run.openSource, run.acquire, run.acquireDetail, run.close};
    EXPECT_EQ(results, scenario.results);
    EXPECT_TRUE(run.unloaded);
    EXPECT_EQ(run.errors, scenario.errors);
    EXPECT_EQ(run.picture, scenario.picture);
    EXPECT_EQ(fake.Calls(), scenario.calls);
    EXPECT_EQ(GlobalLiveBlocks(), liveBefore);
    EXPECT_EQ(GlobalRefusedFrees(), refusedBefore);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, AcquireScenarioTest, ::testing::ValuesIn(Scenarios()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
