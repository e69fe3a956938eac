#include "scan/firmware_table.h"

#include <windows.h>

#include "scan/windows_failure.h"

namespace {

constexpr uint32_t kRawSmbiosProvider = 0x52534D42;  // 'RSMB'

uint32_t systemFirmwareTable(uint32_t provider, uint32_t tableId, void* buffer, uint32_t bufferSize)
{
    return GetSystemFirmwareTable(provider, tableId, buffer, bufferSize);
}

}  // namespace

bool readFirmwareTableWith(FirmwareTableCall call, std::vector<uint8_t>& table, std::wstring& reason)
{
    table.clear();
    reason.clear();
    SetLastError(0);
    const uint32_t needed = call(kRawSmbiosProvider, 0, nullptr, 0);
    if (needed == 0) {
        reason = windowsFailureText(GetLastError());
        return false;
    }
    table.resize(needed);
    const uint32_t written = call(kRawSmbiosProvider, 0, table.data(), needed);
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

bool readFirmwareTable(std::vector<uint8_t>& table, std::wstring& reason)
{
    return readFirmwareTableWith(systemFirmwareTable, table, reason);
}
