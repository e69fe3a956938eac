#pragma once

#include <cstdint>
#include <string>

#include "report/reading.h"
#include "report/snapshot.h"
#include "scan/firmware_table.h"

// The processor's brand and vendor strings from CPUID; the brand may be empty.
[[nodiscard]] std::wstring cpuBrandString();
[[nodiscard]] std::wstring cpuVendorString();

// HKEY_LOCAL_MACHINE\<this> holds the first processor's start-up speed, "~MHz".
inline constexpr wchar_t kCentralProcessorKey[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

// True and the "~MHz" value when it could be read as a REG_DWORD (it may be 0).
[[nodiscard]] bool readStartupMegahertz(uint32_t& megahertz);

// The start-up speed the firmware states, else the registry's one;
// the registry is asked only when the firmware's speed does not apply.
[[nodiscard]] Reading readProcessorFrequency(bool firmwareUsable, const FirmwareSummary& firmware);

// Fills processorName, processorManufacturer, processorVersion, physicalCores
// and processorFrequency, in that order.
void probeProcessor(ScanSnapshot& snapshot, bool firmwareUsable, const FirmwareSummary& firmware,
                    const Reading& firmwareFallback);
