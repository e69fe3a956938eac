#include "scan/processor_text.h"

#include "report/value_text.h"

namespace {

// Registers hold their characters lowest byte first.
void appendRegisterBytes(uint32_t value, uint8_t*& out)
{
    for (int shift = 0; shift < 32; shift += 8) {
        *out++ = static_cast<uint8_t>(value >> shift);
    }
}

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

Reading processorVersionReading(bool firmwareUsable, const Reading& firmwareVersion, const Reading& firmwareFallback)
{
    return firmwareUsable ? firmwareVersion : firmwareFallback;
}

Reading physicalCoresReading(bool counted, uint64_t count, const std::wstring& reason)
{
    if (counted) {
        return readingOk(countText(count));
    }
    return readingFailed(L"counting processor cores: " + reason);
}

bool firmwareSpeedApplies(bool firmwareUsable, bool startSpeedKnown, uint32_t startSpeedMhz)
{
    return firmwareUsable && startSpeedKnown && startSpeedMhz != 0;
}

Reading frequencyReading(bool firmwareUsable, bool startSpeedKnown, uint32_t startSpeedMhz, bool startupStated,
                         uint32_t startupMhz)
{
    if (firmwareSpeedApplies(firmwareUsable, startSpeedKnown, startSpeedMhz)) {
        return readingOk(frequencyText(startSpeedMhz) + L" (at start-up)");
    }
    if (startupStated && startupMhz != 0) {
        return readingOk(frequencyText(startupMhz) + L" (at start-up)");
    }
    return readingNone(L"neither the firmware nor the registry states a processor speed");
}
