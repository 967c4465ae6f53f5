// Pictomake: the album compiler.
#include "MainForm.h"
#include "SettingsForm.h"
#include "SlideShowForm.h"
#include "SplashForm.h"
#include "application/Application.h"
#include "dispatch/TerminationSignals.h"

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    application.SetTitle("Pictoria Compiler");
    application.CreateForm(pictomake::Form1);
    application.CreateForm(pictoalbum::Form2, static_cast<pictoalbum::TSlideShowHost&>(*pictomake::Form1));
    application.CreateForm(pictomake::Form3);
    application.CreateForm(pictoalbum::Form5);
    // Ended by the system, the compiler leaves as its windows' clean-up
    // would have it, whatever question is up.
    const TTerminationSignals endGently([&application] { application.Terminate(); });
    application.Run();
    return 0;
}
