#include "app/program.h"

int runProgram(HINSTANCE instance, int showCommand, const ProgramCalls& calls)
{
    // First, before COM, common controls or anything else can load a DLL on
    // the program's behalf: korvane.exe runs from wherever it was downloaded
    // to. Where Windows lacks the call, it starts all the same.
    static_cast<void>(searchSystemFolderOnly(calls.library));
    // ShellExecuteW may hand the web page to a COM handler on this thread, so
    // the thread is in an apartment for as long as the window can ask.
    const ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE, calls.com);
    // The window and all its state live here until the message loop ends.
    MainWindow korvane(calls.window);
    int exitCode = 0;
    if (!korvane.start(instance, showCommand, exitCode)) {
        return exitCode;
    }
    return korvane.runMessageLoop();
}
