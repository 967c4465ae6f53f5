#include "controls/Controls.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "controls/ExtCtrls.h"
#include "controls/Forms.h"
#include "ScriptedDialogs.h"
#include "controls/ScrollBox.h"
#include "controls/StdCtrls.h"
#include "GuiTestApp.h"
#include "PixelChecks.h"
#include "WheelTurn.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest()
    {
        application.SetTitle("Pictoria Compiler");
        form.SetClientWidth(633);
        form.SetClientHeight(391);
    }

    TApplication& application = TestApplication(); // before any widget
    TForm form;
};

} // namespace

TEST_F(ControlsTest, EditFiresOnChangeWhenCodeChangesTheText)
{
    TEdit* edit = NewComponent<TEdit>(form);
    edit->SetParent(&form);
    int changes = 0;
    edit->OnChange = [&](TObject* Sender) {
        EXPECT_EQ(Sender, edit);
        ++changes;
    };
    edit->SetText("Put Caption Here");
    EXPECT_EQ(changes, 1);
    edit->SetText("Put Caption Here"); // the same text is no change
    EXPECT_EQ(changes, 1);
    edit->SetText("");
    EXPECT_EQ(changes, 2);
    edit->SetMaxLength(5);
    edit->SetText("abcdefgh");
    EXPECT_EQ(edit->Text(), "abcde");
    EXPECT_EQ(changes, 3);
}

TEST_F(ControlsTest, EditFiresOnChangeWhenTheUserTypes)
{
    form.Show();
    TEdit* edit = NewComponent<TEdit>(form);
    edit->SetParent(&form);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    QTest::keyClicks(edit->Widget(), "ab");
    EXPECT_EQ(edit->Text(), "ab");
    EXPECT_EQ(changes, 2);
}

TEST_F(ControlsTest, CheckBoxFiresOnClickWhenCodeChangesChecked)
{
    TCheckBox* box = NewComponent<TCheckBox>(form);
    box->SetParent(&form);
    box->SetCaption("Password Protect");
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    box->SetChecked(false);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, CheckBoxFiresOnClickOnceForAUserClick)
{
    form.Show();
    TCheckBox* box = NewComponent<TCheckBox>(form);
    box->SetParent(&form);
    box->SetBounds(8, 8, 100, 20);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    QTest::mouseClick(box->Widget(), Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, MouseDownReportsButtonShiftAndPosition)
{
    form.Show();
    TPanel* panel = NewComponent<TPanel>(form);
    panel->SetParent(&form);
    panel->SetBounds(18, 16, 105, 105);
    struct Press {
        TMouseButton button;
        TShiftState shift;
        int x, y;
    };
    std::vector<Press> presses;
    int clicks = 0, doubles = 0;
    panel->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) { presses.push_back({b, s, x, y}); };
    panel->OnClick = [&](TObject*) { ++clicks; };
    panel->OnDblClick = [&](TObject*) { ++doubles; };

    QTest::mousePress(panel->Widget(), Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
    QTest::mouseRelease(panel->Widget(), Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
    QTest::mousePress(panel->Widget(), Qt::RightButton, Qt::ControlModifier, QPoint(3, 4));
    QTest::mouseRelease(panel->Widget(), Qt::RightButton, Qt::ControlModifier, QPoint(3, 4));
    QTest::mouseDClick(panel->Widget(), Qt::LeftButton, {}, QPoint(7, 7));

    ASSERT_GE(presses.size(), 3u);
    EXPECT_EQ(presses[0].button, mbLeft);
    EXPECT_EQ(presses[0].shift, ssShift | ssLeft);
    EXPECT_EQ(presses[0].x, 10);
    EXPECT_EQ(presses[0].y, 20);
    EXPECT_EQ(presses[1].button, mbRight);
    EXPECT_EQ(presses[1].shift, ssCtrl | ssRight);
    EXPECT_TRUE(presses.back().shift & ssDouble);
    EXPECT_EQ(doubles, 1);
    EXPECT_GE(clicks, 1); // the right press is no click
}

TEST_F(ControlsTest, APressOnAChildDoesNotReachItsParent)
{
    form.Show();
    TPanel* panel = NewComponent<TPanel>(form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 105, 105);
    TPanel* inner = NewComponent<TPanel>(form);
    inner->SetParent(panel);
    inner->SetBounds(1, 1, 50, 50);
    int outer = 0, innerPresses = 0;
    panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++outer; };
    inner->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++innerPresses; };
    QTest::mousePress(inner->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(innerPresses, 1);
    EXPECT_EQ(outer, 0);
}

TEST_F(ControlsTest, AHandlerMayFreeTheControlItWasCalledFor)
{
    form.Show();
    TPanel* panel = NewComponent<TPanel>(form);
    panel->SetName("Panel1");
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 50, 50);
    panel->OnMouseDown = [&](TObject* Sender, TMouseButton, TShiftState, int, int) {
        static_cast<TComponent*>(Sender)->Free();
    };
    QTest::mouseClick(panel->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.FindComponent("Panel1"), nullptr);
}

// The text gets a full stop unless it ends in one or in a character below
// it (a quote, a blank, a closing parenthesis), as the Windows programs show it.
TEST_F(ControlsTest, ExceptionsInHandlersReachTheDefaultHandler)
{
    form.Show();
    TPanel* panel = NewComponent<TPanel>(form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 50, 50);
    panel->OnClick = [](TObject*) { throw Exception("Failed to set data for ''"); };
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria Compiler", "Failed to set data for ''", IDOK);
    QTest::mouseClick(panel->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(dialogs.LastMessageFlags(), MB_OK | MB_ICONSTOP);
}

TEST_F(ControlsTest, OnExceptionReplacesTheMessageBox)
{
    TCheckBox* box = NewComponent<TCheckBox>(form);
    box->SetParent(&form);
    box->SetBounds(8, 8, 100, 20);
    box->OnClick = [](TObject*) { throw std::runtime_error("no."); };
    std::vector<std::string> seen;
    Application->OnException = [&](TObject* Sender, const std::exception& E) {
        EXPECT_EQ(Sender, box);
        seen.push_back(E.what());
    };
    form.Show();
    QTest::mouseClick(box->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    Application->OnException = nullptr;
    EXPECT_EQ(seen, (std::vector<std::string>{"no."}));
}

TEST_F(ControlsTest, ExceptionsFromCodeTriggeredEventsReachTheCaller)
{
    TEdit* edit = NewComponent<TEdit>(form);
    edit->OnChange = [](TObject*) { throw Exception("bad"); };
    EXPECT_THROW(edit->SetText("x"), Exception);
}

TEST_F(ControlsTest, AlignedPanelsShareTheClientArea)
{
    TPanel* top = NewComponent<TPanel>(form);
    top->SetParent(&form);
    top->SetHeight(73);
    top->SetAlign(alTop);
    TScrollBox* box = NewComponent<TScrollBox>(form);
    box->SetParent(&form);
    box->SetAlign(alClient);
    EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, 633, 73));
    EXPECT_EQ(box->BoundsRect(), Bounds(0, 73, 633, 391 - 73));
    form.SetClientWidth(700);
    EXPECT_EQ(top->Width(), 700);
    EXPECT_EQ(box->Width(), 700);
}

TEST_F(ControlsTest, ScrollBoxChildrenArePlacedInTheVisibleArea)
{
    TScrollBox* box = NewComponent<TScrollBox>(form);
    box->SetParent(&form);
    box->SetSingleBorder(false);
    box->SetAlign(alClient);
    form.Show();
    TPanel* far = NewComponent<TPanel>(form);
    far->SetParent(box);
    far->SetBounds(18, 7768, 105, 105);
    EXPECT_GE(box->VertScrollBar().Range(), 7768 + 105);
    box->VertScrollBar().SetPosition(100);
    EXPECT_EQ(box->VertScrollBar().Position(), 100);
    EXPECT_EQ(far->Top(), 7668); // it moved up with the content
    TPanel* placed = NewComponent<TPanel>(form);
    placed->SetParent(box);
    placed->SetBounds(18, 168 - 100, 105, 105);
    box->VertScrollBar().SetPosition(0);
    EXPECT_EQ(placed->Top(), 168);
    EXPECT_EQ(far->Top(), 7768);
}

// A grid five units wide fits beside the vertical bar: no horizontal bar.
TEST_F(ControlsTest, ScrollBoxShowsOnlyTheBarsItsChildrenNeed)
{
    TScrollBox* box = NewComponent<TScrollBox>(form);
    box->SetParent(&form);
    box->SetSingleBorder(false);
    box->SetAlign(alClient);
    form.Show();
    QScrollArea& area = dynamic_cast<QScrollArea&>(*box->Widget());
    const int barWidth = area.verticalScrollBar()->sizeHint().width();
    struct Case {
        TRect child;
        bool vertical;
        bool horizontal;
    };
    const Case cases[] = {
        {Bounds(498, 16, 105, 105), false, false},
        {Bounds(498, 320, 105, 105), true, false},
        {Bounds(633 - barWidth - 105, 320, 105, 105), true, false},
        {Bounds(633 - barWidth - 104, 320, 105, 105), true, true},
        {Bounds(600, 16, 105, 105), false, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(testing::Message() << row.child.Left << "," << row.child.Top);
        TPanel* child = NewComponent<TPanel>(form);
        child->SetParent(box);
        child->SetBoundsRect(row.child);
        QCoreApplication::processEvents();
        EXPECT_EQ(area.verticalScrollBar()->isVisible(), row.vertical);
        EXPECT_EQ(area.horizontalScrollBar()->isVisible(), row.horizontal);
        child->Free();
    }
}

// The bars show or go as soon as a child is placed, not at the next turn
// of the event loop, so what is placed next sees the final client area.
TEST_F(ControlsTest, ScrollBoxClientAreaIsFinalOnceAChildIsPlaced)
{
    TScrollBox* box = NewComponent<TScrollBox>(form);
    box->SetParent(&form);
    box->SetSingleBorder(false);
    box->SetAlign(alClient);
    form.Show();
    QCoreApplication::processEvents();
    const int bar = dynamic_cast<QScrollArea&>(*box->Widget()).verticalScrollBar()->sizeHint().width();
    TPanel* child = NewComponent<TPanel>(form);
    child->SetParent(box);
    child->SetBounds(0, 0, 1000, 1000);
    EXPECT_EQ(box->ClientWidth(), 633 - bar);
    EXPECT_EQ(box->ClientHeight(), 391 - bar);
    EXPECT_EQ(box->ClientRectWithoutBars(), Bounds(0, 0, 633, 391));
    child->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(box->ClientWidth(), 633);
    EXPECT_EQ(box->ClientHeight(), 391);
}

// As a grid's caption edits take the focus, the box scrolls just enough to
// show the whole edit: from below, from above, and from the right.
TEST_F(ControlsTest, ScrollBoxScrollsAControlThatTakesTheFocusIntoView)
{
    TScrollBox* box = NewComponent<TScrollBox>(form);
    box->SetParent(&form);
    box->SetSingleBorder(false);
    box->SetAlign(alClient);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    const auto edit = [&](int left, int top) {
        TEdit* made = NewComponent<TEdit>(form);
        made->SetParent(box);
        made->SetBounds(left, top, 105, 21);
        return made;
    };
    TEdit* low = edit(18, 2000);
    TEdit* high = edit(18, 121);
    TEdit* right = edit(1500, 273);
    low->SetFocus();
    EXPECT_TRUE(low->Focused());
    EXPECT_EQ(box->VertScrollBar().Position(), 2000 + 21 - box->ClientHeight());
    EXPECT_EQ(low->Top() + low->Height(), box->ClientHeight()) << "its bottom edge at the box's";
    high->SetFocus();
    EXPECT_EQ(box->VertScrollBar().Position(), 121);
    EXPECT_EQ(high->Top(), 0);
    right->SetFocus();
    EXPECT_EQ(box->HorzScrollBar().Position(), 1500 + 105 - box->ClientWidth());
    EXPECT_EQ(box->VertScrollBar().Position(), 121) << "already in view from top to bottom";
}

TEST_F(ControlsTest, TheWheelOverABoxThatScrollsOnlySidewaysMovesItSideways)
{
    TScrollBox* box = NewComponent<TScrollBox>(form);
    box->SetParent(&form);
    box->SetSingleBorder(false);
    box->SetAlign(alClient);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.Widget()));
    TPanel* frame = NewComponent<TPanel>(form);
    frame->SetParent(box);
    frame->SetBounds(0, 16, 34000, 105);
    QCoreApplication::processEvents();
    ASSERT_GT(box->HorzScrollBar().Range(), 30000);
    TurnWheel(*box, 3);
    const int moved = box->HorzScrollBar().Position();
    EXPECT_GT(moved, 0) << "turned towards the user, the strip moves on";
    TurnWheel(*box, -1);
    EXPECT_LT(box->HorzScrollBar().Position(), moved);
    EXPECT_GT(box->HorzScrollBar().Position(), 0);

    // A box that scrolls up and down keeps the wheel for that.
    frame->SetBounds(0, 16, 34000, 3000);
    QCoreApplication::processEvents();
    box->HorzScrollBar().SetPosition(0);
    TurnWheel(*box, 3);
    EXPECT_GT(box->VertScrollBar().Position(), 0);
    EXPECT_EQ(box->HorzScrollBar().Position(), 0);
}

TEST_F(ControlsTest, AnEditGivenALongTextShowsItsStart)
{
    form.Show();
    const auto edit = [&](const std::string& text) {
        TEdit* made = NewComponent<TEdit>(form);
        made->SetParent(&form);
        made->SetBounds(8, 8, 121, 21);
        made->SetText(text);
        return made->Widget()->grab().toImage();
    };
    const QImage start = edit("Beach at dawn");
    const QImage whole = edit("Beach at dawn, with the long walk home along the cliffs and trailing blanks   ");
    EXPECT_EQ(whole.copy(0, 0, 60, 21), start.copy(0, 0, 60, 21)) << "the caption's start, not its tail";
}

TEST_F(ControlsTest, AWrappedLabelShowsOnlyTheLinesThatFitWhole)
{
    form.Show();
    TLabel* label = NewWrappedLabel(form, &form, "Label1", "", Bounds(8, 8, 105, 41));
    const int line = QFontMetrics(label->Widget()->font()).height();
    label->SetHeight(3 * line + line / 2); // room for three lines and the top half of a fourth
    label->SetCaption("one\ntwo\nthree\nfour\nfive\nsix");
    const QRect ink = Where(label->Widget()->grab().toImage(), IsDark);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(ink.bottom(), 3 * line) << "nothing of the fourth line";
    EXPECT_GT(ink.bottom(), 2 * line) << "the third line is shown";
    label->SetHeight(line / 2);
    label->SetCaption("one");
    EXPECT_FALSE(Where(label->Widget()->grab().toImage(), IsDark).isEmpty()) << "too low for a line: what fits of it";
}

TEST_F(ControlsTest, NewEditsAndCheckBoxesHaveTheWindowsSizes)
{
    EXPECT_EQ(NewComponent<TEdit>(form)->BoundsRect(), Bounds(0, 0, 121, 21));
    EXPECT_EQ(NewComponent<TCheckBox>(form)->BoundsRect(), Bounds(0, 0, 97, 17));
}

TEST_F(ControlsTest, APasswordEditShowsItsPasswordCharacter)
{
    TEdit* edit = NewComponent<TEdit>(form);
    edit->SetParent(&form);
    edit->SetPasswordChar('*');
    auto* shown = static_cast<QLineEdit*>(edit->Widget());
    QTest::keyClicks(shown, "secret");
    EXPECT_EQ(edit->Text(), "secret");
    EXPECT_EQ(shown->displayText(), "******");
    edit->SetPasswordChar(0);
    EXPECT_EQ(shown->displayText(), "secret");
}

TEST_F(ControlsTest, ControlsTakeTheirParentsFontUntilGivenTheirOwn)
{
    form.Font().SetHeight(-11);
    TPanel* panel = NewComponent<TPanel>(form);
    panel->SetParent(&form);
    TLabel* label = NewComponent<TLabel>(form);
    label->SetParent(panel);
    EXPECT_EQ(label->Font().Name(), "MS Sans Serif");
    form.Font().SetHeight(-16);
    EXPECT_EQ(label->Font().Height(), -16);
    label->Font().SetStyle(fsBold);
    EXPECT_FALSE(label->ParentFont());
    form.Font().SetHeight(-11);
    EXPECT_EQ(label->Font().Height(), -16);
}

TEST(Fonts, MsSansSerifBecomesAnInstalledSansSerif)
{
    TestApplication();
    EXPECT_EQ(MapFontFamily("MS Sans Serif"), "DejaVu Sans Condensed");
    TFont font;
    QFontInfo shown(font.ToQFont());
    EXPECT_EQ(shown.family(), "DejaVu Sans Condensed");
    // Ten elevenths of the designed 11 pixels.
    EXPECT_EQ(shown.pixelSize(), 10);
}
