// Presses on the pictures sent as real mouse events to the widgets of the
// grid, read back from the panels' colours.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QMenu>
#include <QTest>

#include "GridForm.h"

namespace pictomake {

namespace {

enum class Part { Image, Panel };
enum class Press { Click, Double };

struct Step {
    int picture;
    Qt::MouseButton button = Qt::LeftButton;
    Qt::KeyboardModifiers keys = Qt::NoModifier;
    Part part = Part::Image;
    Press press = Press::Click;
};

struct MouseCase {
    const char* name;
    std::vector<Step> steps;
    std::set<int> selected;
    int current;
};

void PrintTo(const MouseCase& row, std::ostream* out)
{
    *out << row.name;
}

constexpr auto Shift = Qt::ShiftModifier;
constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Right = Qt::RightButton;

const MouseCase MouseCases[] = {
    {"click selects alone", {{3}}, {3}, 3},
    {"click on the frame selects its picture", {{4, Qt::LeftButton, {}, Part::Panel}}, {4}, 4},
    {"shift-click adds the range from the current", {{2}, {5, Qt::LeftButton, Shift}}, {2, 3, 4, 5}, 5},
    {"shift-click back up the grid", {{5}, {2, Qt::LeftButton, Shift}}, {2, 3, 4, 5}, 2},
    {"a shift range keeps earlier highlights", {{1}, {6, Qt::LeftButton, Ctrl}, {3, Qt::LeftButton, Shift}},
     {1, 3, 4, 5, 6}, 3},
    {"shift-click on the current adds only it", {{2}, {4, Qt::LeftButton, Ctrl}, {4, Qt::LeftButton, Shift}},
     {2, 4}, 4},
    {"ctrl-click adds", {{1}, {3, Qt::LeftButton, Ctrl}, {5, Qt::LeftButton, Ctrl, Part::Panel}}, {1, 3, 5}, 5},
    {"right press on a highlighted picture keeps the selection", {{2}, {4, Qt::LeftButton, Shift}, {3, Right}},
     {2, 3, 4}, 3},
    {"right press elsewhere selects alone", {{2}, {4, Qt::LeftButton, Shift}, {6, Right}}, {6}, 6},
    {"ctrl and right press adds", {{2}, {5, Right, Ctrl}}, {2, 5}, 5},
    {"middle click selects alone", {{2}, {3, Qt::LeftButton, Ctrl}, {4, Qt::MiddleButton}}, {4}, 4},
    {"a double click shows the picture alone", {{2}, {5, Qt::LeftButton, {}, Part::Image, Press::Double}}, {5}, 5},
};

class GridMouseTest : public ::testing::TestWithParam<MouseCase> {
protected:
    void Send(const Step& step)
    {
        QWidget* widget = step.part == Part::Image ? grid.Image(step.picture).Widget()
                                                   : grid.Panel(step.picture).Widget();
        // The image sits in the middle of its frame; the frame's top edge is the panel's own.
        const QPoint at = step.part == Part::Image ? widget->rect().center() : QPoint(50, 5);
        if (step.press == Press::Double) {
            ScriptedDialogs dialogs;
            dialogs.ExpectShowModal("", mrCancel);
            QMouseEvent event(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), step.button, step.button,
                              step.keys);
            QCoreApplication::sendEvent(widget, &event);
        } else {
            QTest::mousePress(widget, step.button, step.keys, at);
            QTest::mouseRelease(widget, step.button, step.keys, at);
        }
        grid.form.PopupMenu1->Items().SubMenu()->hide();
    }

    GridForm grid{6};
};

} // namespace

TEST_P(GridMouseTest, PressesSelectThroughThePanelColours)
{
    const MouseCase& row = GetParam();
    for (const Step& step : row.steps)
        Send(step);
    EXPECT_EQ(grid.Selected(), row.selected);
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(row.current));
    for (int n = 1; n <= 6; ++n)
        EXPECT_TRUE(grid.Panel(n).Color() == grid.form.GetHighlightColor() || grid.Panel(n).Color() == clBtnFace);
}

INSTANTIATE_TEST_SUITE_P(Table, GridMouseTest, ::testing::ValuesIn(MouseCases), [](const auto& info) {
    std::string name;
    for (char c : std::string(info.param.name))
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name;
});

TEST(GridPopupTest, RightPressShowsThePictureMenuAtThePressedPoint)
{
    GridForm grid(3);
    TImage& image = grid.Image(2);
    const QPoint at(7, 9);
    QTest::mousePress(image.Widget(), Qt::RightButton, {}, at);
    QMenu& menu = *grid.form.PopupMenu1->Items().SubMenu();
    EXPECT_TRUE(menu.isVisible());
    const TPoint screen = image.ClientToScreen({at.x(), at.y()});
    EXPECT_EQ(grid.form.PopupMenu1->PopupPoint(), screen);
    EXPECT_EQ(grid.form.ImageName1->Caption(), "p2.jpg");
    menu.hide();
}

// A command chosen while the menu is up, as a modal menu does it within the
// press, runs only once the press is over: it may free the very image that
// was pressed.
TEST(GridPopupTest, RemoveChosenDuringThePressRunsAfterIt)
{
    GridForm grid(3);
    TImage& image = grid.Image(3);
    bool pressOver = false;
    bool removedDuringPress = false;
    image.OnMouseDown = [&](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
        grid.form.ImageMouseDown(Sender, Button, Shift, X, Y);
        grid.form.ClosePicture1->Action()->trigger();
        removedDuringPress = grid.form.PictureCount != 3;
    };
    QTest::mousePress(image.Widget(), Qt::RightButton, {}, QPoint(5, 5));
    pressOver = true;
    EXPECT_FALSE(removedDuringPress);
    EXPECT_EQ(grid.form.PictureCount, 3);
    grid.form.PopupMenu1->Items().SubMenu()->hide();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pressOver);
    EXPECT_EQ(grid.form.PictureCount, 2);
    EXPECT_EQ(grid.form.GetTImageofX(3), nullptr);
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(1));
}

TEST(GridDragTest, APictureDraggedOntoAnotherTakesItsPlace)
{
    GridForm grid(5);
    QWidget* pressed = grid.Image(2).Widget();
    const QPoint start = pressed->rect().center();
    const QPoint onFifth = pressed->mapFromGlobal(grid.Image(5).Widget()->mapToGlobal(QPoint(10, 10)));
    grid.form.Modified = false;
    QTest::mousePress(pressed, Qt::LeftButton, {}, start);
    QTest::mouseMove(pressed, start + QPoint(1, 0));
    QTest::mouseMove(pressed, onFifth);
    QTest::mouseRelease(pressed, Qt::LeftButton, {}, onFifth);
    EXPECT_EQ(grid.Order(), (std::vector<int>{1, 3, 4, 5, 2}));
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(5));
    EXPECT_EQ(grid.Selected(), std::set<int>{5});
    EXPECT_TRUE(grid.form.Modified);
}

TEST(GridDragTest, APictureDroppedOnAFrameOrNotMovedStaysPut)
{
    GridForm grid(5);
    QWidget* pressed = grid.Image(2).Widget();
    const QPoint start = pressed->rect().center();
    const QPoint onFrame = pressed->mapFromGlobal(grid.Panel(5).Widget()->mapToGlobal(QPoint(50, 3)));
    QTest::mousePress(pressed, Qt::LeftButton, {}, start);
    QTest::mouseMove(pressed, onFrame);
    QTest::mouseRelease(pressed, Qt::LeftButton, {}, onFrame);
    QTest::mousePress(pressed, Qt::LeftButton, {}, start);
    QTest::mouseRelease(pressed, Qt::LeftButton, {}, start);
    EXPECT_EQ(grid.Order(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(2));
}

} // namespace pictomake
