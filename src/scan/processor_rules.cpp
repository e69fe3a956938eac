#include "scan/processor_rules.h"

#include <cstring>

#include "report/value_text.h"

namespace {

// Registers hold their characters lowest byte first.
void appendRegisterBytes(uint32_t value, uint8_t*& out)
{
    for (int shift = 0; shift < 32; shift += 8) {
        *out++ = static_cast<uint8_t>(value >> shift);
    }
}

uint32_t readU32(std::span<const uint8_t> bytes, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof(value));
    return value;
}

constexpr uint32_t kRelationProcessorCore = 0;

}  // namespace

std::wstring brandText(uint32_t maxExtendedLeaf, const std::array<uint32_t, 12>& registers)
{
    if (maxExtendedLeaf < kBrandLastLeaf) {
        return std::wstring();
    }
    uint8_t bytes[49] = {};  // the spare zero ends a brand that fills all 48
    uint8_t* out = bytes;
    for (uint32_t value : registers) {
        appendRegisterBytes(value, out);
    }
    std::wstring text;
    for (size_t i = 0; i < 48 && bytes[i] != 0; ++i) {
        const uint8_t byte = bytes[i];
        text += (byte >= 32 && byte <= 126) ? static_cast<wchar_t>(byte) : L'?';
    }
    return text;
}

std::wstring vendorText(uint32_t ebx, uint32_t edx, uint32_t ecx)
{
    uint8_t bytes[13] = {};
    uint8_t* out = bytes;
    appendRegisterBytes(ebx, out);
    appendRegisterBytes(edx, out);
    appendRegisterBytes(ecx, out);
    std::wstring text;
    for (size_t i = 0; bytes[i] != 0; ++i) {
        text += static_cast<wchar_t>(bytes[i]);
    }
    return text;
}

Reading processorNameReading(const std::wstring& brand, bool firmwareUsable, const Reading& firmwareVersion)
{
    if (!brand.empty()) {
        return firmwareText(brand, L"the processor name");
    }
    if (firmwareUsable) {
        return firmwareVersion;
    }
    return readingNone(L"this processor does not publish a brand string");
}

Reading processorManufacturerReading(const std::wstring& vendor, bool firmwareUsable,
                                     const Reading& firmwareManufacturer)
{
    if (firmwareUsable && firmwareManufacturer.state == ReadingState::Ok) {
        return firmwareManufacturer;
    }
    if (!vendor.empty()) {
        return readingOk(vendor);
    }
    return readingNone(L"this processor does not publish a vendor string");
}

Reading physicalCoresReading(bool counted, uint64_t count, const std::wstring& reason)
{
    if (counted) {
        return readingOk(countText(count));
    }
    return readingFailed(L"counting processor cores: " + reason);
}

bool firmwareSpeedApplies(const SpeedSources& sources)
{
    return sources.firmwareUsable && sources.firmwareKnown && sources.firmwareMhz != 0;
}

Reading frequencyReading(const SpeedSources& sources)
{
    if (firmwareSpeedApplies(sources)) {
        return readingOk(frequencyText(sources.firmwareMhz) + L" (at start-up)");
    }
    if (sources.registryStated && sources.registryMhz != 0) {
        return readingOk(frequencyText(sources.registryMhz) + L" (at start-up)");
    }
    return readingNone(L"neither the firmware nor the registry states a processor speed");
}

uint64_t countCoreRecords(std::span<const uint8_t> records)
{
    // Each record starts with its relationship (offset 0) and its own size
    // (offset 4); a record too short to hold both ends the walk.
    uint64_t cores = 0;
    size_t offset = 0;
    while (offset < records.size() && records.size() - offset >= 8) {
        const uint32_t relationship = readU32(records, offset);
        const uint32_t size = readU32(records, offset + 4);
        if (size == 0) {
            break;
        }
        if (relationship == kRelationProcessorCore) {
            ++cores;
        }
        if (size > records.size() - offset) {
            break;
        }
        offset += size;
    }
    return cores;
}

uint64_t countCoreEntries(std::span<const uint8_t> entries)
{
    // ProcessorMask (8 bytes) comes first, the relationship follows it.
    uint64_t cores = 0;
    const size_t count = entries.size() / kProcessorEntrySize;
    for (size_t i = 0; i < count; ++i) {
        if (readU32(entries, i * kProcessorEntrySize + 8) == kRelationProcessorCore) {
            ++cores;
        }
    }
    return cores;
}
