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

// The processor probe's calls; tests hand in their own. The newer topology
// call is looked up, so that the program starts where it is missing; it is
// null there.
struct ProcessorCalls {
    decltype(&cpuidLeaf) cpuid = cpuidLeaf;
    decltype(&GetLogicalProcessorInformationEx) logicalProcessorInformationEx =
        findSystemFunction<decltype(&GetLogicalProcessorInformationEx)>(L"kernel32.dll",
                                                                        "GetLogicalProcessorInformationEx");
    decltype(&GetLogicalProcessorInformation) logicalProcessorInformation = GetLogicalProcessorInformation;
    RegistryCalls registry;
};

// Fills processorName, processorManufacturer, processorVersion, physicalCores
// and processorFrequency, in that order.
void probeProcessor(ScanSnapshot& snapshot, bool firmwareUsable, const FirmwareSummary& firmware,
                    const Reading& firmwareFallback, const ProcessorCalls& calls);
