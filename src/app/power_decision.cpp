#include "app/power_decision.h"

#include "common/windows_failure.h"

namespace {

constexpr wchar_t kNothingStarted[] = L".\r\n\r\nNothing was started.";

}  // namespace

std::wstring tokenOpenFailureReason(uint32_t code)
{
    return L"this program's token could not be opened: " + windowsErrorMessage(code);
}

std::wstring privilegeLookupFailureReason(uint32_t code)
{
    return L"the shutdown privilege could not be looked up: " + windowsErrorMessage(code);
}

std::wstring privilegeAdjustFailureReason(uint32_t code)
{
    if (code == 0) {
        return std::wstring();
    }
    if (code == kErrorNotAllAssigned) {
        return L"this account does not hold the shutdown privilege";
    }
    return L"the shutdown privilege could not be enabled: " + windowsErrorMessage(code);
}

std::wstring privilegeRefusedMessage(const std::wstring& reason)
{
    return L"Windows did not allow it: " + reason + kNothingStarted;
}

std::wstring exitRefusedMessage(uint32_t code)
{
    return L"Windows refused the request: " + windowsErrorMessage(code) + kNothingStarted;
}
