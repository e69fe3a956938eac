#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Drops every trailing CR, LF, blank and full stop: system messages end in
// ".\r\n", which would read badly inside a sentence of ours.
[[nodiscard]] std::wstring trimMessageTail(std::wstring text);

// The scan-side wording of a code, given the system's message text for it
// (empty when there is none): "<text> (error <code>)" or "Windows error <code>".
[[nodiscard]] std::wstring failureTextFromMessage(std::wstring_view message, uint32_t code);
// The window-side wording: the bare text, or "Windows error <code>".
[[nodiscard]] std::wstring errorMessageFromMessage(std::wstring_view message, uint32_t code);
