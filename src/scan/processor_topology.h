#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The two Windows topology calls, passed in so that the fallback from the
// newer call to the older one can be exercised with stand-ins.
using GetLogicalProcessorInformationExFunction = BOOL(WINAPI*)(LOGICAL_PROCESSOR_RELATIONSHIP,
                                                               PSYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX, PDWORD);
using GetLogicalProcessorInformationFunction = BOOL(WINAPI*)(PSYSTEM_LOGICAL_PROCESSOR_INFORMATION, PDWORD);

// GetLogicalProcessorInformationEx from kernel32.dll, or null where Windows lacks it.
[[nodiscard]] GetLogicalProcessorInformationExFunction findLogicalProcessorInformationEx();

// Counts the cores with `ex` (may be null) and, when that gives no count,
// with `legacy`. True with a count above 0, or false with a reason.
[[nodiscard]] bool countProcessorCoresWith(GetLogicalProcessorInformationExFunction ex,
                                           GetLogicalProcessorInformationFunction legacy, uint64_t& count,
                                           std::wstring& reason);

// Physical cores from this Windows' topology calls. False with a reason.
[[nodiscard]] bool countProcessorCores(uint64_t& count, std::wstring& reason);
