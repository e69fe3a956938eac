#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "common/system_function.h"
#include "report/reading.h"
#include "scan/firmware_table.h"
#include "scan/registry.h"

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

// The readings of the processor that the probe takes, in the order it takes them.
struct ProcessorReadings {
    Reading name;
    Reading manufacturer;
    Reading version;
    Reading physicalCores;
    Reading frequency;
};

// What CPUID, Windows' topology and the registry say, weighed against the firmware.
[[nodiscard]] ProcessorReadings probeProcessor(const FirmwareResult& firmware, const ProcessorCalls& calls);
