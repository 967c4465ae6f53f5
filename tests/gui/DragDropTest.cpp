// Dragging one control onto another with real mouse events: the events go
// to the pressed widget, as Qt's implicit grab sends them.
#include "controls/Controls.h"

#include <gtest/gtest.h>
#include <QTest>

#include "GuiTestApp.h"
#include "controls/ExtCtrls.h"
#include "controls/Forms.h"

namespace {

struct Drop {
    TObject* sender;
    TObject* source;
    int x;
    int y;
};

class DragDropTest : public ::testing::Test {
protected:
    DragDropTest()
    {
        form.SetClientWidth(400);
        form.SetClientHeight(200);
        form.Show();
        source->SetParent(&form);
        source->SetBounds(10, 10, 100, 100);
        target->SetParent(&form);
        target->SetBounds(200, 10, 100, 100);
        source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { source->BeginDrag(false, 1); };
        source->OnClick = [this](TObject*) { ++clicks; };
        target->OnDragOver = [this](TObject*, TObject* Source, int, int, TDragState, bool& Accept) {
            Accept = accepts && Source == source;
        };
        target->OnDragDrop = [this](TObject* Sender, TObject* Source, int X, int Y) {
            drops.push_back({Sender, Source, X, Y});
        };
    }

    // Where a point of the target lies in the source's client area.
    QPoint OnTarget(QPoint at) const { return source->Widget()->mapFromGlobal(target->Widget()->mapToGlobal(at)); }

    TApplication& application = TestApplication();
    TForm form;
    TPanel* source = NewComponent<TPanel>(form);
    TPanel* target = NewComponent<TPanel>(form);
    bool accepts = true;
    int clicks = 0;
    std::vector<Drop> drops;
};

} // namespace

TEST_F(DragDropTest, AMoveFromThePressDragsAndTheReleaseDrops)
{
    QTest::mousePress(source->Widget(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_TRUE(source->Dragging());
    QTest::mouseMove(source->Widget(), QPoint(51, 50));
    QTest::mouseMove(source->Widget(), OnTarget(QPoint(20, 30)));
    QTest::mouseRelease(source->Widget(), Qt::LeftButton, {}, OnTarget(QPoint(20, 30)));
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].sender, target);
    EXPECT_EQ(drops[0].source, source);
    EXPECT_EQ(drops[0].x, 20);
    EXPECT_EQ(drops[0].y, 30);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(source->Dragging());
}

TEST_F(DragDropTest, AReleaseBeforeMovingIsAClick)
{
    QTest::mousePress(source->Widget(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseRelease(source->Widget(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_TRUE(drops.empty());
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(source->Dragging());
}

TEST_F(DragDropTest, NoDropWhereTheControlRefusesOrEscapeWasPressed)
{
    accepts = false;
    QTest::mousePress(source->Widget(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(source->Widget(), OnTarget(QPoint(20, 30)));
    QTest::mouseRelease(source->Widget(), Qt::LeftButton, {}, OnTarget(QPoint(20, 30)));
    EXPECT_TRUE(drops.empty());

    accepts = true;
    QTest::mousePress(source->Widget(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(source->Widget(), OnTarget(QPoint(20, 30)));
    QTest::keyClick(source->Widget(), Qt::Key_Escape);
    EXPECT_FALSE(source->Dragging());
    QTest::mouseRelease(source->Widget(), Qt::LeftButton, {}, OnTarget(QPoint(20, 30)));
    EXPECT_TRUE(drops.empty());
    EXPECT_EQ(clicks, 0);
}

TEST_F(DragDropTest, AnImmediateDragDropsWithTheNextClick)
{
    int targetPresses = 0;
    target->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++targetPresses; };
    source->BeginDrag(true, -1);
    EXPECT_TRUE(source->Dragging());
    QTest::mouseMove(target->Widget(), QPoint(5, 6));
    QTest::mousePress(target->Widget(), Qt::LeftButton, {}, QPoint(5, 6));
    QTest::mouseRelease(target->Widget(), Qt::LeftButton, {}, QPoint(5, 6));
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].x, 5);
    EXPECT_EQ(drops[0].y, 6);
    EXPECT_EQ(targetPresses, 0); // the dropping click is the drag's
}

TEST_F(DragDropTest, ASourceThatGoesEndsItsDrag)
{
    QTest::mousePress(source->Widget(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(source->Widget(), OnTarget(QPoint(20, 30)));
    source->Free();
    QTest::mouseRelease(target->Widget(), Qt::LeftButton, {}, QPoint(20, 30));
    EXPECT_TRUE(drops.empty());
}
