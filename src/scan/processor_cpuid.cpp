// The CPUID half of the processor probe. Kept apart from <windows.h>: the
// instruction needs no Windows call.
#include "scan/processor_probe.h"

#include <intrin.h>

#include <array>
#include <cstdint>

#include "scan/processor_text.h"

namespace {

std::array<uint32_t, 4> cpuid(uint32_t leaf)
{
    int registers[4] = {};
    __cpuid(registers, static_cast<int>(leaf));
    return {static_cast<uint32_t>(registers[0]), static_cast<uint32_t>(registers[1]),
            static_cast<uint32_t>(registers[2]), static_cast<uint32_t>(registers[3])};
}

}  // namespace

std::wstring cpuBrandString()
{
    const uint32_t maxExtendedLeaf = cpuid(0x80000000u)[0];
    if (maxExtendedLeaf < kBrandLastLeaf) {
        // Leaves past the highest one return another leaf's data: never ask them.
        return std::wstring();
    }
    std::array<uint32_t, 12> registers{};
    for (uint32_t part = 0; part < 3; ++part) {
        const std::array<uint32_t, 4> leaf = cpuid(0x80000002u + part);
        for (size_t i = 0; i < 4; ++i) {
            registers[part * 4 + i] = leaf[i];
        }
    }
    return brandText(maxExtendedLeaf, registers);
}

std::wstring cpuVendorString()
{
    const std::array<uint32_t, 4> leaf = cpuid(0);
    return vendorText(leaf[1], leaf[3], leaf[2]);
}
