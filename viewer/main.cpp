// Pictoview: the album viewer.
#include "ExitForm.h"
#include "MainForm.h"
#include "SlideShowForm.h"
#include "SplashForm.h"
#include "application/Application.h"
#include "dispatch/TerminationSignals.h"

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    application.SetTitle("Pictoria");
    application.CreateForm(pictoview::Form1);
    application.CreateForm(pictoalbum::Form2, static_cast<pictoalbum::TSlideShowHost&>(*pictoview::Form1));
    application.CreateForm(pictoview::Form3);
    application.CreateForm(pictoalbum::Form5);
    // Ended by the system, the viewer still removes its private folder.
    const TTerminationSignals endGently([&application] { application.Terminate(); });
    application.Run();
    return 0;
}
