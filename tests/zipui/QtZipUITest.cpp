#include "QtZipUI.h"

#include <gtest/gtest.h>

#include "GuiTestApp.h"
#include "ScriptedDialogs.h"
#include "screen/Screen.h"

TEST(QtZipUI, TheEnginesDialogsGoThroughTheDialogInterface)
{
    TestApplication();
    TQtZipUI ui;
    TZipUIScope installed(ui);
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("File Exists Alert", "Replace existing file a.txt?", IDYES);
    dialogs.ExpectMessageBox("", "Please insert disk 2", IDCANCEL);
    dialogs.ExpectOpen("Pick", "Zip Files (*.zip)|*.zip", {"/tmp/a.zip"});
    dialogs.ExpectSelectFolder("", "/tmp", std::nullopt);
    EXPECT_EQ(ZipUI().MessageBox("Replace existing file a.txt?", "File Exists Alert", TMsgButtons::YesNo),
              TMsgResult::Yes);
    EXPECT_EQ(ZipUI().MessageBox("Please insert disk 2", "", TMsgButtons::OkCancel), TMsgResult::Cancel);
    EXPECT_EQ(ZipUI().OpenFileDialog("Pick", "Zip Files (*.zip)|*.zip", "/tmp"), "/tmp/a.zip");
    EXPECT_EQ(ZipUI().SelectFolder("/tmp"), std::nullopt);
}

TEST(QtZipUI, TheBusyCursorIsTheHourglassAndNests)
{
    TestApplication();
    TQtZipUI ui;
    TZipUIScope installed(ui);
    Screen->SetCursor(crDefault);
    {
        TBusyCursor outer;
        EXPECT_EQ(Screen->Cursor(), crHourGlass);
        {
            TBusyCursor inner;
            EXPECT_EQ(Screen->Cursor(), crHourGlass);
        }
        EXPECT_EQ(Screen->Cursor(), crHourGlass);
    }
    EXPECT_EQ(Screen->Cursor(), crDefault);
}
