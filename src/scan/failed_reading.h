#pragma once

#include "report/reading.h"

// A Failed reading "<what>: <text of GetLastError>". The last error is read
// before anything else can overwrite it.
// Takes a plain pointer so that no string is built before the error is read.
[[nodiscard]] Reading failedFromLastError(const wchar_t* what);
