#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "report/reading.h"

// The decisions behind the processor readings, apart from the CPUID
// instruction, the topology calls and the registry that feed them
// (processor_probe.h).

// The last CPUID leaf that holds part of the brand string.
inline constexpr uint32_t kBrandLastLeaf = 0x80000004u;

// The brand string from the registers of leaves 0x80000002 to 0x80000004
// (EAX, EBX, ECX, EDX of each, in that order). Empty when the highest
// extended leaf is below 0x80000004 or the first byte is 0; bytes outside
// 32..126 become '?'. Not trimmed.
[[nodiscard]] std::wstring brandText(uint32_t maxExtendedLeaf, const std::array<uint32_t, 12>& registers);

// The 12-byte vendor string of leaf 0 (EBX, EDX, ECX, in that order), each
// byte widened as it is, up to the first zero byte.
[[nodiscard]] std::wstring vendorText(uint32_t ebx, uint32_t edx, uint32_t ecx);

// The brand string cleaned as firmware text; without one, the firmware's
// processor version when the firmware is usable.
[[nodiscard]] Reading processorNameReading(const std::wstring& brand, bool firmwareUsable,
                                           const Reading& firmwareVersion);

// The firmware's manufacturer wins when it is usable and read; else the
// CPUID vendor as it is.
[[nodiscard]] Reading processorManufacturerReading(const std::wstring& vendor, bool firmwareUsable,
                                                   const Reading& firmwareManufacturer);

// The outcome of counting the cores; `reason` is the counter's own.
[[nodiscard]] Reading physicalCoresReading(bool counted, uint64_t count, const std::wstring& reason);

// The two sources of the processor's start-up speed: the firmware's
// processor record and the registry's "~MHz" (`registryStated` when it was
// read as a REG_DWORD).
struct SpeedSources {
    bool firmwareUsable = false;
    bool firmwareKnown = false;
    uint32_t firmwareMhz = 0;
    bool registryStated = false;
    uint32_t registryMhz = 0;
};

// True when the firmware's start-up speed decides the frequency, so the
// registry need not be asked.
[[nodiscard]] bool firmwareSpeedApplies(const SpeedSources& sources);

// The firmware's start-up speed first, then the registry's, else none.
[[nodiscard]] Reading frequencyReading(const SpeedSources& sources);

// Counting the cores in the records of Windows' two topology calls. The bytes
// are walked with every length checked first.

// GetLogicalProcessorInformationEx's variable-length records: the number of
// processor-core records. `records` is what the call said it returned.
[[nodiscard]] uint64_t countCoreRecords(std::span<const uint8_t> records);

// The size of one SYSTEM_LOGICAL_PROCESSOR_INFORMATION entry on 64-bit Windows.
inline constexpr size_t kProcessorEntrySize = 32;

// GetLogicalProcessorInformation's fixed entries: the number of whole
// entries whose relationship is a processor core.
[[nodiscard]] uint64_t countCoreEntries(std::span<const uint8_t> entries);
