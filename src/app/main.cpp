#include <windows.h>

#include "app/program.h"

// Windows' headers declare wWinMain with their own parameter names.
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    return runProgram(instance, showCommand);
}
