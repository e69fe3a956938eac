#pragma once

#include <windows.h>

#include "common/system_function.h"

// True under Wine, whose ntdll exports wine_get_version.
inline bool runningUnderWine()
{
    return findSystemFunction<const char*(CDECL*)()>(L"ntdll.dll", "wine_get_version") != nullptr;
}
