#include <windows.h>

#include "app/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // The window and all its state live here until the message loop ends.
    MainWindow korvane;
    int exitCode = 0;
    if (!korvane.start(instance, showCommand, exitCode)) {
        return exitCode;
    }
    return korvane.runMessageLoop();
}
