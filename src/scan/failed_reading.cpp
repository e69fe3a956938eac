#include "scan/failed_reading.h"

#include <windows.h>

#include <string>

#include "common/windows_failure.h"

Reading failedFromLastError(const wchar_t* what)
{
    const DWORD code = GetLastError();
    return readingFailed(std::wstring(what) + L": " + windowsFailureText(code));
}
