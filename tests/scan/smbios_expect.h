#pragma once

// Shared checks for the SMBIOS parser tests.

#include <gtest/gtest.h>

#include <string>

#include "report/reading.h"
#include "scan/smbios_parser.h"
#include "support/smbios_damage.h"

namespace smbios_test {

inline void expectReading(const Reading& actual, const Reading& expected, const char* field)
{
    EXPECT_EQ(static_cast<int>(actual.state), static_cast<int>(expected.state)) << field << " state";
    EXPECT_EQ(actual.value, expected.value) << field << " value";
    EXPECT_EQ(actual.reason, expected.reason) << field << " reason";
}

inline Reading ok(const std::wstring& value)
{
    return Reading{ReadingState::Ok, value, L""};
}

inline Reading none(const std::wstring& reason)
{
    return Reading{ReadingState::None, L"", reason};
}

inline Reading unset(const std::wstring& what)
{
    return none(L"the firmware left " + what + L" unset");
}

// A summary whose every field differs from what any parse produces, to see
// that a failed parse leaves the caller's summary alone.
inline FirmwareSummary sentinelSummary()
{
    FirmwareSummary summary;
    const Reading mark{ReadingState::NotMeasured, L"sentinel value", L"sentinel reason"};
    summary.biosVendor = mark;
    summary.biosVersion = mark;
    summary.biosReleaseDate = mark;
    summary.smbiosVersion = mark;
    summary.systemManufacturer = mark;
    summary.systemModel = mark;
    summary.processorVersion = mark;
    summary.processorManufacturer = mark;
    summary.processorSocket = mark;
    summary.startSpeedMhz = 4242;
    summary.startSpeedKnown = true;
    summary.installedMemoryBytes = 4242;
    summary.installedMemoryKnown = true;
    return summary;
}

inline bool sameSummary(const FirmwareSummary& a, const FirmwareSummary& b)
{
    return a.biosVendor == b.biosVendor && a.biosVersion == b.biosVersion && a.biosReleaseDate == b.biosReleaseDate &&
           a.smbiosVersion == b.smbiosVersion && a.systemManufacturer == b.systemManufacturer &&
           a.systemModel == b.systemModel && a.processorVersion == b.processorVersion &&
           a.processorManufacturer == b.processorManufacturer && a.processorSocket == b.processorSocket &&
           a.startSpeedMhz == b.startSpeedMhz && a.startSpeedKnown == b.startSpeedKnown &&
           a.installedMemoryBytes == b.installedMemoryBytes && a.installedMemoryKnown == b.installedMemoryKnown;
}

}  // namespace smbios_test
