#pragma once

#include <string>

// printf-style formatting into a wide string. The build defines
// __USE_MINGW_ANSI_STDIO=1 so that "%llu", "%ls" and "%.*f" behave as C99
// says (exact binary rounding for "%.*f") rather than as msvcrt does.
std::wstring formatWide(const wchar_t* format, ...);
