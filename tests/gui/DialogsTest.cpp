#include "dialogs/Dialogs.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "dialogs/QtDialogs.h"
#include "DialogHands.h"
#include "ScriptedDialogs.h"
#include "GuiTestApp.h"
#include "TempDir.h"

namespace {

// What a person does in the dialog about to be shown, once it is up.
void OnceUp(std::function<void(QWidget& dialog)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

void Type(QWidget& dialog, const QString& text)
{
    QWidget* focus = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
    QTest::keyClicks(focus, text);
    QTest::keyClick(focus, Qt::Key_Return);
}

} // namespace

TEST(ScriptedDialogs, AnswersExpectedStepsInOrder)
{
    TestApplication().SetTitle("Pictoria Compiler");
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("Open an Album or click Cancel for New Album", "Album File (*.pxp)|*.pxp", {"/albums/trip.pxp"});
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "secret");
    dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", std::nullopt);
    dialogs.ExpectMessageBox("Save Picture to Harddrive?", "Whould you like to save this picture to the harddrive?", IDNO);
    dialogs.ExpectSave("Please enter a filename to be used for this Album", "Album Files (*.pxp)|*.pxp", std::nullopt);

    TOpenDialog open;
    open.Title = "Open an Album or click Cancel for New Album";
    open.Filter = "Album File (*.pxp)|*.pxp";
    ASSERT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName, "/albums/trip.pxp");
    std::string typed;
    EXPECT_TRUE(InputQuery("Password", "Please Enter the Password Here", typed));
    EXPECT_EQ(typed, "secret");
    EXPECT_EQ(InputBox("Password", "Please Enter the Password Here", "kept"), "kept");
    EXPECT_EQ(Application->MessageBox("Whould you like to save this picture to the harddrive?",
                                      "Save Picture to Harddrive?", MB_YESNO),
              IDNO);
    TSaveDialog save;
    save.Title = "Please enter a filename to be used for this Album";
    save.Filter = "Album Files (*.pxp)|*.pxp";
    EXPECT_FALSE(save.Execute());
}

TEST(ScriptedDialogs, AnUnexpectedDialogFailsTheTest)
{
    TestApplication();
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            ShowMessage("Unable to create Zip Configuration File to disk");
        },
        "unexpected message box");
}

TEST(ScriptedDialogs, ADifferentDialogFailsTheTest)
{
    TestApplication();
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.ExpectInputQuery("Password", "Please Enter the Password Here", "x");
            std::string value;
            InputQuery("No Password", "Please enter a Password or leave blank to Disable Password", value);
        },
        "but got input query \"No Password\"");
}

TEST(ScriptedDialogs, AStepLeftUnusedFailsTheTest)
{
    TestApplication();
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.ExpectMessageBox("View Pictoria?", "Do you want to view the finished Pictoria?", IDYES);
        },
        "was never shown");
}

TEST(Dialogs, MessageDlgCaptionsByTypeAndTakesOnlyWindowsButtonSets)
{
    TestApplication().SetTitle("Pictoria");
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Confirm", "Replace?", IDYES);
    EXPECT_EQ(MessageDlg("Replace?", mtConfirmation, mbYes | mbNo, 0), mrYes);
    EXPECT_EQ(dialogs.LastMessageFlags(), MB_YESNO | MB_ICONQUESTION);
    dialogs.ExpectMessageBox("Pictoria", "Hello", IDOK);
    EXPECT_EQ(MessageDlg("Hello", mtCustom, mbOK, 0), mrOk);
    EXPECT_THROW(MessageDlg("?", mtWarning, mbYes | mbOK, 0), EInvalidOperation);
}

TEST(Dialogs, ShowMessageUsesTheApplicationTitle)
{
    TestApplication().SetTitle("Pictoria Compiler");
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria Compiler", "Unable to save Zip Configuration File to disk", IDOK);
    ShowMessage("Unable to save Zip Configuration File to disk");
    EXPECT_EQ(dialogs.LastMessageFlags(), MB_OK);
}

TEST(QtDialogs, WindowsFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(QtNameFilters("Album File (*.pxp)|*.pxp").toStdString(), "Album File (*.pxp)");
    EXPECT_EQ(QtNameFilters("All Picture Types (*.bmp;*.jpg)|*.bmp;*.jpg|JPEG (*.jpg)|*.jpg").toStdString(),
              "All Picture Types (*.bmp *.jpg);;JPEG (*.jpg)");
    EXPECT_EQ(QtNameFilters("Plain|*.txt").toStdString(), "Plain (*.txt)");
    EXPECT_EQ(QtNameFilters("").toStdString(), "");
}

// The real dialogs, answered by keys and clicks.
TEST(QtDialogs, AMessageBoxAnswersWithTheButtonClickedOrEscape)
{
    TestApplication();
    OnceUp([](QWidget& box) {
        for (QPushButton* button : box.findChildren<QPushButton*>())
            if (button->text().remove('&') == "No")
                QTest::mouseClick(button, Qt::LeftButton);
    });
    EXPECT_EQ(Application->MessageBox("Replace?", "Replace Album?", MB_YESNO), IDNO);
    OnceUp([](QWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(Application->MessageBox("Go on?", "Pictoria", MB_OKCANCEL), IDCANCEL);
}

TEST(QtDialogs, AnInputBoxGivesTheTypedTextOrKeepsTheValueOnEscape)
{
    TestApplication();
    std::string value = "old";
    OnceUp([](QWidget& box) {
        QTest::keyClick(box.focusWidget(), Qt::Key_A, Qt::ControlModifier);
        Type(box, "secret");
    });
    EXPECT_TRUE(InputQuery("Password", "Please Enter the Password Here", value));
    EXPECT_EQ(value, "secret");
    OnceUp([](QWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_FALSE(InputQuery("Password", "Please Enter the Password Here", value));
    EXPECT_EQ(value, "secret");
}

TEST(QtDialogs, APasswordQueryShowsAStarForEachCharacterTyped)
{
    TestApplication();
    std::string value;
    QString shown;
    OnceUp([&](QWidget& box) {
        QTest::keyClicks(box.focusWidget(), "secret");
        shown = static_cast<QLineEdit*>(box.focusWidget())->displayText();
        QTest::keyClick(box.focusWidget(), Qt::Key_Return);
    });
    EXPECT_TRUE(PasswordQuery("Password", "Please Enter the Password Here", value));
    EXPECT_EQ(value, "secret");
    EXPECT_EQ(shown, "******");
    OnceUp([&](QWidget& box) {
        QTest::keyClicks(box.focusWidget(), "plain");
        shown = static_cast<QLineEdit*>(box.focusWidget())->displayText();
        QTest::keyClick(box.focusWidget(), Qt::Key_Return);
    });
    value.clear();
    EXPECT_TRUE(InputQuery("No File Name", "Please enter a File Name to be used for this Album.", value));
    EXPECT_EQ(shown, "plain") << "other questions show what is typed";
}

TEST(QtDialogs, TheFileDialogsGiveTheTypedFile)
{
    TestApplication();
    TempDir dir;
    const std::string album = dir.File("trip.pxp");
    {
        std::ofstream(album) << "[Settings]\n";
    }
    TOpenDialog open;
    open.InitialDir = dir.Path().string();
    open.Filter = "Album File (*.pxp)|*.pxp";
    OnceUp([](QWidget& dialog) { Type(dialog, "trip.pxp"); });
    ASSERT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName, album);
    EXPECT_EQ(open.Files, std::vector<std::string>{album});

    TSaveDialog save;
    save.InitialDir = dir.Path().string();
    save.Filter = "Album Files (*.pxp)|*.pxp";
    save.DefaultExt = "pxp";
    OnceUp([](QWidget& dialog) { Type(dialog, "beach"); });
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, (dir.Path() / "beach.pxp").string());

    OnceUp([](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(open.FileName, album);
}

// Qt's dialog alone would read the quotes as a list of names and give
// "quoted" in its own folder.
TEST(QtDialogs, ASaveDialogGivesANameWithQuotesAsTyped)
{
    TestApplication();
    TempDir dir;
    std::filesystem::create_directories(dir.File("other"));
    TSaveDialog save;
    save.InitialDir = dir.Path().string();
    save.DefaultExt = "pxp";
    for (const std::string& typed : {std::string("it's \"quoted\""), dir.File("other") + "/it's \"quoted\""}) {
        SCOPED_TRACE(typed);
        {
            DialogHands hands;
            hands.TypeInFileDialog(typed);
            ASSERT_TRUE(save.Execute());
        }
        const std::string folder = typed.starts_with("/") ? dir.File("other") : dir.Path().string();
        EXPECT_EQ(save.FileName, folder + "/it's \"quoted\".pxp");
    }
}

TEST(Dialogs, AnOverwritePromptReplacesOnlyOnYes)
{
    TestApplication();
    TempDir dir;
    const std::string taken = dir.Write("taken.jpg", "kept");
    TSaveDialog save;
    save.InitialDir = dir.Path().string();
    save.Options |= ofOverwritePrompt;
    for (const int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        ScriptedDialogs dialogs;
        dialogs.ExpectSave("", "", taken);
        dialogs.ExpectMessageBox("Replace File?", taken + " already exists.  Do you want to replace it?", answer);
        EXPECT_EQ(save.Execute(), answer == IDYES);
    }
    // A new name is not asked about.
    ScriptedDialogs dialogs;
    dialogs.ExpectSave("", "", dir.File("new.jpg"));
    EXPECT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, dir.File("new.jpg"));
}

TEST(Screen, PixelsPerInchCanBeSetForTests)
{
    TestApplication();
    int was = Screen->PixelsPerInch();
    Screen->SetPixelsPerInch(120);
    TForm form;
    EXPECT_EQ(form.PixelsPerInch(), 120);
    Screen->SetPixelsPerInch(was);
}
