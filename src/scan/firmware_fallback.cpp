#include "scan/firmware_fallback.h"

Reading firmwareFallback(const std::wstring& firmwareError)
{
    return readingFailed(L"the firmware table could not be read: " +
                         (firmwareError.empty() ? std::wstring(L"reason unknown") : firmwareError));
}
