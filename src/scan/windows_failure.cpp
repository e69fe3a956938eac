#include "scan/windows_failure.h"

#include <windows.h>

Reading failedFromLastError(const wchar_t* what)
{
    const DWORD code = GetLastError();
    return readingFailed(std::wstring(what) + L": " + windowsFailureText(code));
}
