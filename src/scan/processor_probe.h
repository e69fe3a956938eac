#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "common/system_function.h"
#include "report/reading.h"
#include "report/snapshot.h"
#include "scan/registry.h"
#include "scan/smbios_parser.h"

// EAX, EBX, ECX and EDX of one CPUID leaf.
[[nodiscard]] std::array<uint32_t, 4> cpuidLeaf(uint32_t leaf);

// GetLogicalProcessorInformationEx came with Windows 7, so the scan looks it up.
using GetLogicalProcessorInformationExFunction = BOOL(WINAPI*)(LOGICAL_PROCESSOR_RELATIONSHIP,
                                                               PSYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX, PDWORD);

// The processor probe's calls; tests hand in their own. logicalProcessorInformationEx
// is null where this Windows lacks it.
struct ProcessorCalls {
    decltype(&cpuidLeaf) cpuid = cpuidLeaf;
    GetLogicalProcessorInformationExFunction logicalProcessorInformationEx =
        findSystemFunction<GetLogicalProcessorInformationExFunction>(L"kernel32.dll",
                                                                     "GetLogicalProcessorInformationEx");
    decltype(&GetLogicalProcessorInformation) logicalProcessorInformation = GetLogicalProcessorInformation;
    RegistryCalls registry;
};

// Fills processorName, processorManufacturer, processorVersion, physicalCores
// and processorFrequency, in that order.
void probeProcessor(ScanSnapshot& snapshot, bool firmwareUsable, const FirmwareSummary& firmware,
                    const Reading& firmwareFallback, const ProcessorCalls& calls);
