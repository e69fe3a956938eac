#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "report/reading.h"

// The decisions behind the identity readings, apart from the calls that feed them.

// "2 days, 3:04:05", "1:00:00", "0:59" from milliseconds since start-up.
[[nodiscard]] std::wstring durationText(uint64_t milliseconds);

// A CurrentVersion registry value as a reading: absent (code 2) or empty is
// None, any other failure Failed with the Windows text of the code.
[[nodiscard]] Reading currentVersionReading(bool read, const std::wstring& text, uint32_t code,
                                            std::wstring_view what);

// "major.minor.build", with ".ubr" when the UBR value was read.
[[nodiscard]] std::wstring windowsVersionText(uint32_t major, uint32_t minor, uint32_t build, bool haveUbr,
                                              uint32_t ubr);

// Windows 11 still calls itself "Windows 10" in ProductName; its build number
// (above 21999) is what tells them apart.
[[nodiscard]] Reading windowsProductReading(Reading productName, uint32_t major, uint32_t build);

// The machine IsWow64Process2 names as native (0, IMAGE_FILE_MACHINE_UNKNOWN,
// when it gave no answer) when it is ARM64, x64 or x86; else the processor
// architecture number of GetNativeSystemInfo, which answers for the emulated
// machine when an x64 program runs on an ARM64 PC.
[[nodiscard]] Reading architectureReading(uint16_t nativeMachine, uint16_t processorArchitecture);

// The value of a DNS name that Windows returned successfully; empty means the
// machine has none. Format 1 is the host name, anything else the domain.
[[nodiscard]] Reading dnsNameReading(const std::wstring& name, int nameFormat);
