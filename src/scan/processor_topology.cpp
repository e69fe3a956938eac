#include "scan/processor_topology.h"

#include <span>
#include <vector>

#include "common/system_function.h"
#include "scan/processor_cores.h"
#include "scan/windows_failure.h"

static_assert(sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION) == kProcessorEntrySize);

namespace {

// Any failure here is silent: the older call is asked next.
uint64_t coresFromEx(GetLogicalProcessorInformationExFunction ex)
{
    if (ex == nullptr) {
        return 0;
    }
    DWORD size = 0;
    ex(RelationProcessorCore, nullptr, &size);
    if (size == 0) {
        return 0;
    }
    std::vector<uint8_t> buffer(size, 0);
    DWORD returned = size;
    if (!ex(RelationProcessorCore, reinterpret_cast<PSYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX>(buffer.data()),
            &returned)) {
        return 0;
    }
    // Never walk past what was allocated, whatever size the call reports.
    const size_t walked = returned < buffer.size() ? returned : buffer.size();
    return countCoreRecords(std::span<const uint8_t>(buffer.data(), walked));
}

}  // namespace

GetLogicalProcessorInformationExFunction findLogicalProcessorInformationEx()
{
    return findSystemFunction<GetLogicalProcessorInformationExFunction>(L"kernel32.dll",
                                                                        "GetLogicalProcessorInformationEx");
}

bool countProcessorCoresWith(GetLogicalProcessorInformationExFunction ex,
                             GetLogicalProcessorInformationFunction legacy, uint64_t& count, std::wstring& reason)
{
    count = 0;
    reason.clear();

    const uint64_t exCores = coresFromEx(ex);
    if (exCores > 0) {
        count = exCores;
        return true;
    }

    SetLastError(0);
    DWORD size = 0;
    legacy(nullptr, &size);
    if (size == 0) {
        const DWORD sizingError = GetLastError();
        reason = windowsFailureText(sizingError);
        return false;
    }

    // Whole entries only: a partial one at the end could not be read safely.
    const size_t entryBytes = size / kProcessorEntrySize * kProcessorEntrySize;
    std::vector<uint8_t> buffer(entryBytes, 0);
    DWORD filled = static_cast<DWORD>(entryBytes);
    if (!legacy(reinterpret_cast<PSYSTEM_LOGICAL_PROCESSOR_INFORMATION>(buffer.data()), &filled)) {
        const DWORD fillError = GetLastError();
        reason = windowsFailureText(fillError);
        return false;
    }

    // Count only what the filling call wrote: the zeroed entries after it
    // would read as relationship 0, that is as cores.
    const size_t written = (filled < buffer.size() ? filled : buffer.size()) / kProcessorEntrySize * kProcessorEntrySize;
    const uint64_t cores = countCoreEntries(std::span<const uint8_t>(buffer.data(), written));
    if (cores == 0) {
        reason = L"Windows described no processor cores";
        return false;
    }
    count = cores;
    return true;
}

bool countProcessorCores(uint64_t& count, std::wstring& reason)
{
    return countProcessorCoresWith(findLogicalProcessorInformationEx(), &GetLogicalProcessorInformation, count,
                                   reason);
}
