#pragma once

#include <string>

#include "report/reading.h"
#include "report/snapshot.h"
#include "scan/firmware_table.h"

// The processor's brand and vendor strings from CPUID; the brand may be empty.
[[nodiscard]] std::wstring cpuBrandString();
[[nodiscard]] std::wstring cpuVendorString();

// Physical cores from Windows' processor topology. False with a reason.
[[nodiscard]] bool countProcessorCores(uint64_t& count, std::wstring& reason);

// Fills processorName, processorManufacturer, processorVersion, physicalCores
// and processorFrequency, in that order.
void probeProcessor(ScanSnapshot& snapshot, bool firmwareUsable, const FirmwareSummary& firmware,
                    const Reading& firmwareFallback);
