#include "scan/processor_probe.h"

#include <windows.h>

#include "scan/processor_text.h"
#include "scan/processor_topology.h"
#include "scan/registry.h"

bool readStartupMegahertz(uint32_t& megahertz)
{
    megahertz = 0;
    return readRegistryDword(HKEY_LOCAL_MACHINE, kCentralProcessorKey, L"~MHz", megahertz);
}

Reading readProcessorFrequency(bool firmwareUsable, const FirmwareSummary& firmware)
{
    uint32_t startupMhz = 0;
    bool startupStated = false;
    if (!firmwareSpeedApplies(firmwareUsable, firmware.startSpeedKnown, firmware.startSpeedMhz)) {
        startupStated = readStartupMegahertz(startupMhz);
    }
    return frequencyReading(firmwareUsable, firmware.startSpeedKnown, firmware.startSpeedMhz, startupStated,
                            startupMhz);
}

void probeProcessor(ScanSnapshot& snapshot, bool firmwareUsable, const FirmwareSummary& firmware,
                    const Reading& firmwareFallback)
{
    snapshot.processorName = processorNameReading(cpuBrandString(), firmwareUsable, firmware.processorVersion);
    snapshot.processorManufacturer =
        processorManufacturerReading(cpuVendorString(), firmwareUsable, firmware.processorManufacturer);
    snapshot.processorVersion = processorVersionReading(firmwareUsable, firmware.processorVersion, firmwareFallback);

    uint64_t cores = 0;
    std::wstring reason;
    const bool counted = countProcessorCores(cores, reason);
    snapshot.physicalCores = physicalCoresReading(counted, cores, reason);

    snapshot.processorFrequency = readProcessorFrequency(firmwareUsable, firmware);
}
