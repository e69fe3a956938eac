#pragma once

#include <cstdint>
#include <string>

#include "report/reading.h"

// Scan side: the system text in the user's default language, then
// " (error <code>)". Code 0 means a call failed without saying why.
[[nodiscard]] std::wstring windowsFailureText(uint32_t code);
// Window side: the bare system text, for our own message sentences.
[[nodiscard]] std::wstring windowsErrorMessage(uint32_t code);
// A Failed reading "<what>: <text of GetLastError>". The last error is read
// before anything else can overwrite it.
// Takes a plain pointer so that no string is built before the error is read.
[[nodiscard]] Reading failedFromLastError(const wchar_t* what);
