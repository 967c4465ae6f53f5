// The end of the program (a termination signal) ends whatever modal window
// is up, before the application's loop runs and inside it, and the program
// leaves. Ending is for good, so each case runs in a child process of its
// own.
#include "dispatch/ModalLoops.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "GuiTestApp.h"
#include "controls/Forms.h"
#include "dialogs/Dialogs.h"
#include "dispatch/TerminationSignals.h"

namespace {

class ModalLoopsTest : public ::testing::Test {
protected:
    ModalLoopsTest() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// A window that nobody ends holds the child; the alarm ends it instead.
constexpr unsigned ChildTimeLimit = 30;

// The signal, sent once the loop about to start is running.
void SignalOnceRunning(int signal)
{
    QTimer::singleShot(0, [signal] { std::raise(signal); });
}

// The program's end, in a child: what came back from each window goes to
// stderr, where the parent reads it.
[[noreturn]] void Report(const std::string& answers)
{
    std::fprintf(stderr, "answers: %s\n", answers.c_str());
    std::fflush(stderr);
    std::_Exit(0);
}

// A main form whose OnShow runs the windows one after the other, as the
// viewer's start-up runs its slide show or its password prompt.
void RunWindowsAtStartUp(int signal)
{
    ::alarm(ChildTimeLimit);
    TApplication& application = TestApplication();
    TForm* main = nullptr;
    TForm* slides = nullptr;
    application.CreateForm(main);
    application.CreateForm(slides);
    std::string answers;
    main->OnShow = [&](TObject*) {
        SignalOnceRunning(signal);
        answers += "form " + std::to_string(slides->ShowModal());
        answers += " box " + std::to_string(application.MessageBox("Go on?", "Pictoria", MB_YESNO));
        std::string typed = "kept";
        answers += " input " + std::to_string(InputQuery("Password", "Please Enter the Password Here", typed)) + typed;
        TOpenDialog open;
        answers += " open " + std::to_string(open.Execute());
    };
    const TTerminationSignals endGently([&application] { application.Terminate(); });
    application.Run();
    Report(answers);
}

} // namespace

TEST_F(ModalLoopsTest, ASignalEndsTheWindowsOfTheStartUpAndTheProgramLeaves)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        // Cancel from the form; No, Cancel and Cancel at once from the
        // windows after it.
        EXPECT_EXIT(RunWindowsAtStartUp(signal), ::testing::ExitedWithCode(0), "answers: form 2 box 7 input 0kept open 0\n");
    }
}

TEST_F(ModalLoopsTest, ASignalEndsEachKindOfWindowInTheApplicationsLoop)
{
    // What a Cancel gives for each: the box's least answer, no text, no file.
    const struct {
        const char* window;
        std::function<std::string()> show;
        const char* answer;
    } cases[] = {
        {"message box", [] { return std::to_string(Application->MessageBox("Save?", "Pictoria", MB_YESNOCANCEL)); },
         "2"},
        {"OK box", [] { return std::to_string(Application->MessageBox("Done", "Pictoria", MB_OK)); }, "1"},
        {"input box",
         [] {
             std::string typed = "kept";
             return std::to_string(InputQuery("Password", "Please Enter the Password Here", typed)) + typed;
         },
         "0kept"},
        {"save dialog", [] { return std::to_string(TSaveDialog().Execute()); }, "0"},
        {"folder dialog", [] { return std::to_string(Dialogs().SelectFolder("", "/").has_value()); }, "0"},
    };
    for (const auto& window : cases) {
        SCOPED_TRACE(window.window);
        EXPECT_EXIT(
            {
                ::alarm(ChildTimeLimit);
                TApplication& application = TestApplication();
                TForm* main = nullptr;
                application.CreateForm(main);
                // The main form would keep the program, as the compiler
                // asks before it loses changes: the answer is Cancel now.
                main->OnCloseQuery = [&](TObject*, bool& CanClose) {
                    CanClose = application.MessageBox("Save?", "Pictoria", MB_YESNOCANCEL) != IDCANCEL;
                };
                std::string answer;
                QTimer::singleShot(0, [&] {
                    SignalOnceRunning(SIGTERM);
                    answer = window.show();
                });
                const TTerminationSignals endGently([&application] { application.Terminate(); });
                application.Run();
                Report(answer);
            },
            ::testing::ExitedWithCode(0), std::string("answers: ") + window.answer + "\n");
    }
}
