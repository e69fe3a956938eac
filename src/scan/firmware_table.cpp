#include "scan/firmware_table.h"

#include "common/windows_failure.h"

namespace {

constexpr DWORD kRawSmbiosProvider = 0x52534D42;  // 'RSMB'

}  // namespace

bool readFirmwareTable(const FirmwareCalls& calls, std::vector<uint8_t>& table, std::wstring& reason)
{
    table.clear();
    reason.clear();
    SetLastError(0);
    const UINT needed = calls.getSystemFirmwareTable(kRawSmbiosProvider, 0, nullptr, 0);
    if (needed == 0) {
        reason = windowsFailureText(GetLastError());
        return false;
    }
    table.resize(needed);
    const UINT written = calls.getSystemFirmwareTable(kRawSmbiosProvider, 0, table.data(), needed);
    if (written == 0) {
        const DWORD error = GetLastError();
        table.clear();
        reason = windowsFailureText(error);
        return false;
    }
    if (written < needed) {
        table.resize(written);
    }
    // A larger answer means the table grew between the two calls; the buffer
    // is kept as it is and the parse judges it by the length in its header.
    return true;
}

FirmwareResult readFirmware(const FirmwareCalls& calls)
{
    FirmwareResult result;
    std::vector<uint8_t> table;
    if (readFirmwareTable(calls, table, result.error)) {
        result.usable =
            parseSmbios(table.empty() ? nullptr : table.data(), table.size(), result.summary, result.error);
    }
    if (!result.usable) {
        result.fallback = readingFailed(L"the firmware table could not be read: " +
                                        (result.error.empty() ? std::wstring(L"reason unknown") : result.error));
    }
    return result;
}
