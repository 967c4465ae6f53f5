#include "controls/Menus.h"

#include <gtest/gtest.h>
#include <QTest>

#include "GuiTestApp.h"
#include "controls/ExtCtrls.h"
#include "controls/Forms.h"

TEST(Menus, APopupCommandRunsAfterTheMouseHandlerReturned)
{
    TestApplication();
    TForm form;
    form.Show();
    TPanel* panel = NewComponent<TPanel>(form);
    panel->SetName("Panel1");
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 105, 105);
    TPopupMenu* popup = NewComponent<TPopupMenu>(form);
    TMenuItem* remove = NewComponent<TMenuItem>(form);
    remove->SetCaption("&Remove Picture");
    popup->Items().Add(remove);
    bool inHandler = false;
    bool ranInHandler = false;
    remove->OnClick = [&](TObject*) {
        ranInHandler = inHandler;
        form.FindComponent("Panel1")->Free();
    };
    panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int X, int Y) {
        inHandler = true;
        TPoint at = panel->ClientToScreen({X, Y});
        popup->Popup(at.X, at.Y);
        remove->Action()->trigger(); // chosen at once, as a modal Windows menu would
        inHandler = false;
    };
    QTest::mousePress(panel->Widget(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_NE(form.FindComponent("Panel1"), nullptr);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(ranInHandler);
    EXPECT_EQ(form.FindComponent("Panel1"), nullptr);
    // Let the button go, so later tests' clicks are not made with it held.
    QTest::mouseRelease(form.Widget(), Qt::RightButton, {}, QPoint(5, 5));
}

TEST(Menus, ACommandOfAFreedItemIsDropped)
{
    TestApplication();
    TForm form;
    TMenuItem* item = NewComponent<TMenuItem>(form);
    int clicks = 0;
    item->OnClick = [&](TObject*) { ++clicks; };
    item->Action()->trigger();
    item->Free();
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 0);
}

TEST(Menus, ItemsCarryCaptionShortcutAndState)
{
    TestApplication();
    TForm form;
    TMenuItem* item = NewComponent<TMenuItem>(form);
    item->SetCaption("E&xit");
    item->SetShortCut(ShortCut('X', ssCtrl));
    EXPECT_EQ(item->Action()->text().toStdString(), "E&xit");
    EXPECT_EQ(item->Action()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    item->SetEnabled(false);
    EXPECT_FALSE(item->Enabled());
    item->SetChecked(true);
    EXPECT_TRUE(item->Checked());
    item->Action()->trigger(); // choosing an item does not tick or untick it
    EXPECT_TRUE(item->Checked());
}

TEST(Menus, ADashCaptionIsASeparatorLineWithoutText)
{
    TestApplication();
    TForm form;
    TMenuItem* item = NewComponent<TMenuItem>(form);
    item->SetCaption("-");
    EXPECT_TRUE(item->Action()->isSeparator());
    EXPECT_TRUE(item->Action()->text().isEmpty());
    EXPECT_EQ(item->Caption(), "-");
    item->SetCaption("&Print");
    EXPECT_FALSE(item->Action()->isSeparator());
    EXPECT_EQ(item->Action()->text().toStdString(), "&Print");
}

TEST(Menus, ClickFromCodeRunsAtOnce)
{
    TestApplication();
    TForm form;
    TMenuItem* item = NewComponent<TMenuItem>(form);
    int clicks = 0;
    item->OnClick = [&](TObject* Sender) {
        EXPECT_EQ(Sender, item);
        ++clicks;
    };
    item->Click();
    EXPECT_EQ(clicks, 1);
}

TEST(Menus, SubItemsFollowTheirParent)
{
    TestApplication();
    TForm form;
    TMenuItem* file = NewComponent<TMenuItem>(form);
    TMenuItem* open = NewComponent<TMenuItem>(form);
    file->Add(open);
    EXPECT_EQ(file->Count(), 1);
    EXPECT_EQ(open->Parent(), file);
    open->Free();
    EXPECT_EQ(file->Count(), 0);
    EXPECT_TRUE(file->SubMenu()->actions().isEmpty());
}
