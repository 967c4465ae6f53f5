#include "controls/TrackBar.h"

#include <gtest/gtest.h>
#include <QTest>

#include "controls/Forms.h"
#include "ScriptedDialogs.h"
#include "GuiTestApp.h"

namespace {

class TrackBarTest : public ::testing::Test {
protected:
    TrackBarTest()
    {
        application.SetTitle("Pictoria");
        bar = NewComponent<TTrackBar>(form);
        bar->SetParent(&form);
        bar->OnChange = [this](TObject* Sender) {
            EXPECT_EQ(Sender, bar);
            changes.push_back(bar->Position());
        };
    }

    TApplication& application = TestApplication(); // before any widget
    TForm form;
    TTrackBar* bar;
    std::vector<int> changes;
};

} // namespace

TEST_F(TrackBarTest, ANewTrackBarHasTheWindowsDefaults)
{
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), 10);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(bar->Frequency(), 1);
    EXPECT_EQ(bar->TickMarks(), tmBottomRight);
    EXPECT_EQ(bar->Orientation(), trHorizontal);
    EXPECT_EQ(bar->Width(), 150);
    EXPECT_EQ(bar->Height(), 45);
}

TEST_F(TrackBarTest, PositionStaysInRangeAndEachMoveFiresOnChange)
{
    struct Step {
        const char* what;
        void (TTrackBar::*set)(int);
        int value;
        int position;
        bool fires;
    };
    const Step steps[] = {
        {"max 20", &TTrackBar::SetMax, 20, 0, false},
        {"position 5", &TTrackBar::SetPosition, 5, 5, true},
        {"position 5 again", &TTrackBar::SetPosition, 5, 5, false},
        {"position above max", &TTrackBar::SetPosition, 25, 20, true},
        {"position below min", &TTrackBar::SetPosition, -3, 0, true},
        {"min 2 moves the position up", &TTrackBar::SetMin, 2, 2, true},
        {"position 12", &TTrackBar::SetPosition, 12, 12, true},
        {"max 8 moves the position down", &TTrackBar::SetMax, 8, 8, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        changes.clear();
        (bar->*step.set)(step.value);
        EXPECT_EQ(bar->Position(), step.position);
        EXPECT_EQ(changes, step.fires ? std::vector<int>{step.position} : std::vector<int>{});
    }
}

TEST_F(TrackBarTest, ExceptionsFromTheProgramsChangesReachTheCaller)
{
    bar->OnChange = [](TObject*) { throw Exception("bad"); };
    EXPECT_THROW(bar->SetPosition(3), Exception);
}

TEST_F(TrackBarTest, TheUsersKeysAndClicksFireOnChangeGuarded)
{
    form.Show();
    QTest::keyClick(bar->Widget(), Qt::Key_Right);
    QTest::keyClick(bar->Widget(), Qt::Key_PageUp);
    QTest::keyClick(bar->Widget(), Qt::Key_End);
    // A middle click moves the slider to where it lands.
    QTest::mouseClick(bar->Widget(), Qt::MiddleButton, {}, QPoint(2, bar->Height() / 2));
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_EQ((std::vector<int>{changes[0], changes[1], changes[2]}), (std::vector<int>{1, 3, 10}));
    EXPECT_EQ(changes[3], 0);

    bar->OnChange = [](TObject*) { throw Exception("Slide speed failed"); };
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria", "Slide speed failed.", IDOK);
    QTest::keyClick(bar->Widget(), Qt::Key_End);
    EXPECT_EQ(bar->Position(), 10);
}

TEST_F(TrackBarTest, AVerticalBarHasItsMinimumAtTheTopAndTurnsItsBounds)
{
    bar->SetOrientation(trVertical);
    EXPECT_EQ(bar->Width(), 45);
    EXPECT_EQ(bar->Height(), 150);
    form.Show();
    QTest::keyClick(bar->Widget(), Qt::Key_Down);
    EXPECT_EQ(bar->Position(), 1);
    QTest::mouseClick(bar->Widget(), Qt::MiddleButton, {}, QPoint(bar->Width() / 2, bar->Height() - 2));
    EXPECT_EQ(bar->Position(), 10);
}

TEST_F(TrackBarTest, TickMarksAndFrequencyReachTheSlider)
{
    const auto* slider = static_cast<const QSlider*>(bar->Widget());
    struct Case {
        TTickMark marks;
        QSlider::TickPosition position;
    };
    const Case cases[] = {
        {tmBottomRight, QSlider::TicksBelow}, {tmTopLeft, QSlider::TicksAbove}, {tmBoth, QSlider::TicksBothSides}};
    for (const Case& c : cases) {
        bar->SetTickMarks(c.marks);
        EXPECT_EQ(slider->tickPosition(), c.position);
    }
    bar->SetFrequency(5);
    EXPECT_EQ(slider->tickInterval(), 5);
}
