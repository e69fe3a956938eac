#include <windows.h>

// The entry point. The main window, its scan thread and its live graphs are
// built on top of korvane_core; until they exist the program opens no window
// and ends at once with exit code 0.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return 0;
}
