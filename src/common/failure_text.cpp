#include "common/failure_text.h"

#include "common/wide_format.h"

std::wstring trimMessageTail(std::wstring text)
{
    while (!text.empty()) {
        const wchar_t last = text.back();
        if (last != L'\r' && last != L'\n' && last != L' ' && last != L'.') {
            break;
        }
        text.pop_back();
    }
    return text;
}

std::wstring failureTextFromMessage(std::wstring_view message, uint32_t code)
{
    const std::wstring trimmed = trimMessageTail(std::wstring(message));
    // Widened without sign, so HRESULT-style codes read as positive numbers.
    const auto number = static_cast<unsigned long long>(code);
    if (trimmed.empty()) {
        return formatWide(L"Windows error %llu", number);
    }
    return trimmed + formatWide(L" (error %llu)", number);
}

std::wstring errorMessageFromMessage(std::wstring_view message, uint32_t code)
{
    std::wstring trimmed = trimMessageTail(std::wstring(message));
    if (trimmed.empty()) {
        return formatWide(L"Windows error %lu", static_cast<unsigned long>(code));
    }
    return trimmed;
}
