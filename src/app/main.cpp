#include <windows.h>

#include "app/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    int exitCode = 0;
    if (!startKorvane(instance, showCommand, exitCode)) {
        return exitCode;
    }
    exitCode = runMessageLoop();
    finishKorvane();
    return exitCode;
}
