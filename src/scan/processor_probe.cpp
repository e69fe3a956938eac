#include "scan/processor_probe.h"

#include <intrin.h>

#include <span>
#include <string>
#include <vector>

#include "common/windows_failure.h"
#include "scan/processor_rules.h"

static_assert(sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION) == kProcessorEntrySize);

namespace {

// HKEY_LOCAL_MACHINE\<this> holds the first processor's start-up speed, "~MHz".
constexpr wchar_t kCentralProcessorKey[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

std::wstring cpuBrandString(const ProcessorCalls& calls)
{
    const uint32_t maxExtendedLeaf = calls.cpuid(0x80000000u)[0];
    if (maxExtendedLeaf < kBrandLastLeaf) {
        // Leaves past the highest one return another leaf's data: never ask them.
        return std::wstring();
    }
    std::array<uint32_t, 12> registers{};
    for (uint32_t part = 0; part < 3; ++part) {
        const std::array<uint32_t, 4> leaf = calls.cpuid(0x80000002u + part);
        for (size_t i = 0; i < 4; ++i) {
            registers[part * 4 + i] = leaf[i];
        }
    }
    return brandText(maxExtendedLeaf, registers);
}

std::wstring cpuVendorString(const ProcessorCalls& calls)
{
    const std::array<uint32_t, 4> leaf = calls.cpuid(0);
    return vendorText(leaf[1], leaf[3], leaf[2]);
}

// Any failure here is silent: the older call is asked next.
uint64_t coresFromEx(decltype(&GetLogicalProcessorInformationEx) ex)
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

// The newer topology call first; when it gives no count, the older one.
// True with a count above 0, or false with a reason.
bool countProcessorCores(const ProcessorCalls& calls, uint64_t& count, std::wstring& reason)
{
    count = coresFromEx(calls.logicalProcessorInformationEx);
    if (count > 0) {
        return true;
    }

    SetLastError(0);
    DWORD size = 0;
    calls.logicalProcessorInformation(nullptr, &size);
    if (size == 0) {
        const DWORD sizingError = GetLastError();
        reason = windowsFailureText(sizingError);
        return false;
    }

    // Whole entries only: a partial one at the end could not be read safely.
    const size_t entryBytes = size / kProcessorEntrySize * kProcessorEntrySize;
    std::vector<uint8_t> buffer(entryBytes, 0);
    DWORD filled = static_cast<DWORD>(entryBytes);
    if (!calls.logicalProcessorInformation(reinterpret_cast<PSYSTEM_LOGICAL_PROCESSOR_INFORMATION>(buffer.data()),
                                           &filled)) {
        const DWORD fillError = GetLastError();
        reason = windowsFailureText(fillError);
        return false;
    }

    // Count only what the filling call wrote: the zeroed entries after it
    // would read as relationship 0, that is as cores.
    const size_t written =
        (filled < buffer.size() ? filled : buffer.size()) / kProcessorEntrySize * kProcessorEntrySize;
    count = countCoreEntries(std::span<const uint8_t>(buffer.data(), written));
    if (count == 0) {
        reason = L"Windows described no processor cores";
        return false;
    }
    return true;
}

// The start-up speed the firmware states, else the registry's one; the
// registry is asked only when the firmware's speed does not apply.
Reading readProcessorFrequency(const ProcessorCalls& calls, const FirmwareResult& firmware)
{
    SpeedSources sources{.firmwareUsable = firmware.usable,
                         .firmwareKnown = firmware.summary.startSpeedKnown,
                         .firmwareMhz = firmware.summary.startSpeedMhz,
                         .registryStated = false,
                         .registryMhz = 0};
    if (!firmwareSpeedApplies(sources)) {
        sources.registryStated =
            readRegistryDword(calls.registry, HKEY_LOCAL_MACHINE, kCentralProcessorKey, L"~MHz", sources.registryMhz);
    }
    return frequencyReading(sources);
}

}  // namespace

std::array<uint32_t, 4> cpuidLeaf(uint32_t leaf)
{
    int registers[4] = {};
    __cpuid(registers, static_cast<int>(leaf));
    return {static_cast<uint32_t>(registers[0]), static_cast<uint32_t>(registers[1]),
            static_cast<uint32_t>(registers[2]), static_cast<uint32_t>(registers[3])};
}

ProcessorReadings probeProcessor(const FirmwareResult& firmware, const ProcessorCalls& calls)
{
    const FirmwareSummary& summary = firmware.summary;
    ProcessorReadings readings;
    readings.name = processorNameReading(cpuBrandString(calls), firmware.usable, summary.processorVersion);
    readings.manufacturer =
        processorManufacturerReading(cpuVendorString(calls), firmware.usable, summary.processorManufacturer);
    readings.version = firmware.usable ? summary.processorVersion : firmware.fallback;

    uint64_t cores = 0;
    std::wstring reason;
    const bool counted = countProcessorCores(calls, cores, reason);
    readings.physicalCores = physicalCoresReading(counted, cores, reason);

    readings.frequency = readProcessorFrequency(calls, firmware);
    return readings;
}
