#include "controls/Forms.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "controls/Buttons.h"
#include "controls/Menus.h"
#include "controls/StdCtrls.h"
#include "ScriptedDialogs.h"
#include "GuiTestApp.h"

namespace {

class FormsTest : public ::testing::Test {
protected:
    FormsTest()
    {
        form.SetCaption("Settings");
        form.SetClientWidth(386);
        form.SetClientHeight(333);
        ok = NewComponent<TBitBtn>(form);
        ok->SetParent(&form);
        ok->SetKind(bkOK);
        ok->SetBounds(112, 280, 75, 25);
    }

    TApplication& application = TestApplication(); // before any widget
    TForm form;
    TBitBtn* ok;
};

} // namespace

TEST_F(FormsTest, ShowModalGoesThroughTheDialogInterface)
{
    ScriptedDialogs dialogs;
    dialogs.ExpectShowModal("Settings", mrOk, [&](TForm& shown) {
        EXPECT_EQ(&shown, &form);
        ok->Click();
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST_F(FormsTest, ARealModalShowingEndsWithTheButtonsModalResult)
{
    std::vector<std::string> events;
    form.OnShow = [&](TObject*) { events.push_back("show"); };
    form.OnCloseQuery = [&](TObject*, bool& CanClose) {
        events.push_back("closequery");
        CanClose = true;
    };
    form.OnClose = [&](TObject*, TCloseAction&) { events.push_back("close"); };
    ok->OnClick = [&](TObject*) { events.push_back("click"); };
    QTimer::singleShot(0, [&] { ok->Click(); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(events, (std::vector<std::string>{"show", "click", "closequery", "close"}));
}

TEST_F(FormsTest, EscapePressesTheCancelButtonAndReturnTheFocusedOrTheDefaultOne)
{
    TEdit* edit = NewComponent<TEdit>(form);
    edit->SetParent(&form);
    TBitBtn* cancel = NewComponent<TBitBtn>(form);
    cancel->SetParent(&form);
    cancel->SetKind(bkCancel);
    cancel->SetBounds(200, 280, 75, 25);
    TButton* retry = NewComponent<TButton>(form);
    retry->SetParent(&form);
    retry->SetModalResult(mrRetry);
    struct Case {
        const char* what;
        TWinControl* focused;
        Qt::Key key;
        TModalResult result;
    };
    const Case cases[] = {
        {"Escape in the edit", edit, Qt::Key_Escape, mrCancel},
        {"Return in the edit", edit, Qt::Key_Return, mrOk},
        {"Enter in the edit", edit, Qt::Key_Enter, mrOk},
        {"Return on a plain button", retry, Qt::Key_Return, mrRetry},
        {"Return on the Cancel button", cancel, Qt::Key_Return, mrCancel},
        {"Escape on the OK button", ok, Qt::Key_Escape, mrCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTimer::singleShot(0, [&] {
            c.focused->SetFocus();
            QTest::keyClick(c.focused->Widget(), c.key);
        });
        EXPECT_EQ(form.ShowModal(), c.result);
    }
    // Without a Cancel button Escape does nothing: the form stays up.
    cancel->SetVisible(false);
    QTimer::singleShot(0, [&] {
        QTest::keyClick(edit->Widget(), Qt::Key_Escape);
        EXPECT_TRUE(form.Visible());
        ok->Click();
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST_F(FormsTest, AModalFormThatRefusesToCloseStaysUp)
{
    int asked = 0;
    form.OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = ++asked > 1; };
    TBitBtn* cancel = NewComponent<TBitBtn>(form);
    cancel->SetParent(&form);
    cancel->SetKind(bkCancel);
    QTimer::singleShot(0, [&] {
        ok->Click(); // refused: the showing goes on
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(form.Visible());
            EXPECT_EQ(form.ModalResult(), mrNone);
            cancel->Click();
        });
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(asked, 2);
}

TEST_F(FormsTest, ShowModalOfAVisibleFormFails)
{
    form.Show();
    try {
        form.ShowModal();
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Cannot make a visible window modal");
    }
}

TEST_F(FormsTest, CloseAsksOnCloseQueryThenOnClose)
{
    form.Show();
    bool allow = false;
    form.OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = allow; };
    TCloseAction action = caHide;
    form.OnClose = [&](TObject*, TCloseAction& Action) { Action = action; };
    form.Close();
    EXPECT_TRUE(form.Visible());
    allow = true;
    action = caNone;
    form.Close();
    EXPECT_TRUE(form.Visible());
    action = caHide;
    form.Close();
    EXPECT_FALSE(form.Visible());
}

TEST_F(FormsTest, OnShowExceptionsReachTheDefaultHandler)
{
    TestApplication().SetTitle("Pictoria Compiler");
    form.OnShow = [](TObject*) { throw Exception("Failed to set data for ''"); };
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria Compiler", "Failed to set data for ''", IDOK);
    form.Show();
    EXPECT_TRUE(form.Visible());
}

TEST_F(FormsTest, TheMenuBarSitsAboveTheClientArea)
{
    TMainMenu* menu = NewComponent<TMainMenu>(form);
    TMenuItem* file = NewComponent<TMenuItem>(form);
    file->SetCaption("&File");
    menu->Items().Add(file);
    form.SetMenu(menu);
    form.SetClientHeight(391);
    form.SetClientWidth(633);
    EXPECT_EQ(form.ClientHeight(), 391);
    EXPECT_EQ(form.ClientWidth(), 633);
    EXPECT_GT(form.Height(), 391);
}

TEST_F(FormsTest, SettingsAreKept)
{
    form.SetBorderStyle(bsNone);
    form.SetFormStyle(fsStayOnTop);
    form.SetPosition(poScreenCenter);
    form.Show();
    EXPECT_TRUE(form.Widget()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form.Widget()->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.Widget()->windowTitle().toStdString(), "Settings");
}

TEST_F(FormsTest, AMaximisedBorderlessModalFormFillsTheScreenAndTheSystemsCloseCancelsIt)
{
    form.SetBorderStyle(bsNone);
    form.SetWindowState(wsMaximized);
    bool closed = false;
    form.OnClose = [&](TObject*, TCloseAction&) { closed = true; };
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(form.Widget()->isMaximized());
        // Also where no window manager maximises it.
        EXPECT_EQ(form.Widget()->geometry(), form.Widget()->screen()->availableGeometry());
        EXPECT_TRUE(form.Widget()->windowFlags() & Qt::FramelessWindowHint);
        form.Widget()->close(); // the window manager's close
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(form.Visible());
}

TEST_F(FormsTest, ActivationFiresOnActivateAndOnDeactivate)
{
    TForm other;
    std::vector<std::string> events;
    form.OnActivate = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &form);
        events.push_back("activate");
    };
    form.OnDeactivate = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &form);
        events.push_back("deactivate");
    };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.Widget()));
    other.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(other.Widget()));
    EXPECT_EQ(events, (std::vector<std::string>{"activate", "deactivate"}));
}

TEST_F(FormsTest, ActivationHandlersRunGuarded)
{
    TestApplication().SetTitle("Pictoria");
    form.OnActivate = [](TObject*) { throw Exception("activate failed"); };
    form.OnDeactivate = [](TObject*) { throw Exception("deactivate failed"); };
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria", "activate failed.", IDOK);
    dialogs.ExpectMessageBox("Pictoria", "deactivate failed.", IDOK);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(form.Widget(), &activate);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(form.Widget(), &deactivate);
}

TEST(Application, CreateFormMakesTheFirstFormTheMainForm)
{
    TApplication& application = TestApplication();
    std::vector<std::string> created;
    struct TNamedForm : TForm {
    };
    TNamedForm* first = nullptr;
    TNamedForm* second = nullptr;
    application.CreateForm(first);
    application.CreateForm(second);
    EXPECT_EQ(application.MainForm(), first);
    EXPECT_EQ(first->Owner(), &application);
    second->Free();
    first->Free();
    EXPECT_EQ(application.MainForm(), nullptr);
}

TEST(Application, AFormCentresOnTheMainForm)
{
    TApplication& application = TestApplication();
    TForm* main = nullptr;
    TForm* dialog = nullptr;
    application.CreateForm(main);
    application.CreateForm(dialog);
    main->SetBounds(100, 80, 400, 300);
    main->Show();
    dialog->SetBounds(0, 0, 100, 50);
    dialog->SetPosition(poMainFormCenter);
    dialog->Show();
    const QPoint offset = dialog->Widget()->frameGeometry().center() - main->Widget()->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
    dialog->Free();
    main->Free();
}

TEST(Application, ParametersLeaveOutTheProgram)
{
    TApplication& application = TestApplication();
    EXPECT_EQ(application.ParamCount(), 0);
    EXPECT_EQ(application.ParamStr(0), "pictogui_tests");
    EXPECT_EQ(application.ParamStr(1), "");
    EXPECT_FALSE(application.ExeName().empty());
}
