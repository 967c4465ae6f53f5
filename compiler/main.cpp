// Pictomake: the album compiler.
#include "Application.h"
#include "MainForm.h"
#include "SettingsForm.h"
#include "SplashForm.h"

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    application.SetTitle("Pictoria Compiler");
    application.CreateForm(pictomake::Form1);
    // TODO: the slide show (Form2) comes here.
    application.CreateForm(pictomake::Form3);
    application.CreateForm(pictomake::Form5);
    application.Run();
    return 0;
}
