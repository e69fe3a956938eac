#include <windows.h>

#include "app/main_window.h"
#include "common/com_apartment.h"

// Windows' headers declare wWinMain with their own parameter names.
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // ShellExecuteW may hand the web page to a COM handler on this thread, so
    // the thread is in an apartment for as long as the window can ask.
    const ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // The window and all its state live here until the message loop ends.
    MainWindow korvane;
    int exitCode = 0;
    if (!korvane.start(instance, showCommand, exitCode)) {
        return exitCode;
    }
    return korvane.runMessageLoop();
}
