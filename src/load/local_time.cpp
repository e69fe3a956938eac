#include "load/local_time.h"

#include <windows.h>

#include "report/value_text.h"

std::wstring localTimestampText()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return timestampText(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}
