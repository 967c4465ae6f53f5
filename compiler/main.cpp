// Pictomake: the album compiler.
#include "Application.h"
#include "MainForm.h"
#include "SettingsForm.h"
#include "SlideShowForm.h"
#include "SplashForm.h"

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    application.SetTitle("Pictoria Compiler");
    application.CreateForm(pictomake::Form1);
    application.CreateForm(pictoalbum::Form2, static_cast<pictoalbum::TSlideShowHost&>(*pictomake::Form1));
    application.CreateForm(pictomake::Form3);
    application.CreateForm(pictoalbum::Form5);
    application.Run();
    return 0;
}
