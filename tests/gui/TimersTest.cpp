#include "components/Timers.h"

#include <gtest/gtest.h>
#include <QTest>

#include "ScriptedDialogs.h"
#include "GuiTestApp.h"

TEST(Timer, TicksFireOnTimerGuarded)
{
    TestApplication().SetTitle("Pictoria");
    TTimer timer;
    timer.SetEnabled(false);
    timer.SetInterval(10000);
    int ticks = 0;
    timer.OnTimer = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &timer);
        if (++ticks == 2)
            throw Exception("tick");
    };
    timer.Timer();
    EXPECT_EQ(ticks, 1);
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria", "tick.", IDOK);
    timer.Timer();
    EXPECT_EQ(ticks, 2);
}

TEST(Timer, RunsOnlyWhenEnabledWithAnInterval)
{
    TestApplication();
    struct Case {
        bool enabled;
        int interval;
        bool active;
    };
    const Case cases[] = {
        {true, 1000, true}, {true, 0, false}, {false, 1000, false}, {false, 0, false}, {true, -5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "enabled " << c.enabled << ", interval " << c.interval);
        TTimer timer;
        timer.SetInterval(c.interval);
        timer.SetEnabled(c.enabled);
        EXPECT_EQ(timer.Active(), c.active);
    }
}

TEST(Timer, ANewTimerRunsEverySecondAndCanBeSwitchedBackOn)
{
    TestApplication();
    TComponent owner;
    TTimer* timer = NewComponent<TTimer>(owner);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 1000);
    EXPECT_TRUE(timer->Active());
    timer->SetInterval(0);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_FALSE(timer->Active());
    timer->SetInterval(3000);
    EXPECT_TRUE(timer->Active());
}

TEST(Timer, TheEventLoopFiresOnTimer)
{
    TestApplication();
    TTimer timer;
    timer.SetInterval(1);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) { ++ticks; };
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }));
}
