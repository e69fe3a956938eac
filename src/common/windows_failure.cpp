#include "common/windows_failure.h"

#include <windows.h>

#include "common/failure_text.h"
#include "common/unique_resource.h"

namespace {

// The system's message for a code, or empty text when it has none.
std::wstring systemMessage(uint32_t code, DWORD languageId)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                       nullptr, code, languageId, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    // Owned even when the call reports 0 but still handed out a buffer.
    const UniqueHLocal owner(buffer);
    if (length == 0 || buffer == nullptr) {
        return std::wstring();
    }
    return std::wstring(buffer, length);
}

}  // namespace

std::wstring windowsFailureText(uint32_t code)
{
    if (code == 0) {
        return L"the call failed without setting an error code";
    }
    return failureTextFromMessage(systemMessage(code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)), code);
}

std::wstring windowsErrorMessage(uint32_t code)
{
    return errorMessageFromMessage(systemMessage(code, 0), code);
}
