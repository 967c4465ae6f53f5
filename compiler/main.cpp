// Pictomake: the album compiler.
#include "Application.h"
#include "MainForm.h"
#include "SplashForm.h"

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    application.SetTitle("Pictoria Compiler");
    application.CreateForm(pictomake::Form1);
    // TODO: the slide show (Form2) and the settings dialog (Form3) come here, in that order.
    application.CreateForm(pictomake::Form5);
    application.Run();
    return 0;
}
