#pragma once

#include <cstdint>
#include <string>

// Windows error codes in words, for both the scan and the window.
//
// Scan side: the system text in the user's default language, then
// " (error <code>)". Code 0 means a call failed without saying why.
[[nodiscard]] std::wstring windowsFailureText(uint32_t code);
// Window side: the bare system text, for our own message sentences.
[[nodiscard]] std::wstring windowsErrorMessage(uint32_t code);
