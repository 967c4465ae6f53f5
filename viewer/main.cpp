// Pictoview: the album viewer.
#include "Application.h"
#include "ExitForm.h"
#include "MainForm.h"
#include "SlideShowForm.h"
#include "SplashForm.h"

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    application.SetTitle("Pictoria");
    application.CreateForm(pictoview::Form1);
    application.CreateForm(pictoalbum::Form2, static_cast<pictoalbum::TSlideShowHost&>(*pictoview::Form1));
    application.CreateForm(pictoview::Form3);
    application.CreateForm(pictoalbum::Form5);
    application.Run();
    return 0;
}
