#pragma once

// Shared expectations for the SMBIOS parser tests.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "report/reading.h"
#include "scan/smbios_parser.h"
#include "support/smbios_damage.h"

namespace smbios_test {

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
    const Reading mark{ReadingState::NotMeasured, L"sentinel value", L"sentinel reason"};
    return FirmwareSummary{.biosVendor = mark,
                           .biosVersion = mark,
                           .biosReleaseDate = mark,
                           .smbiosVersion = mark,
                           .systemManufacturer = mark,
                           .systemModel = mark,
                           .processorVersion = mark,
                           .processorManufacturer = mark,
                           .processorSocket = mark,
                           .startSpeedMhz = 4242,
                           .startSpeedKnown = true,
                           .installedMemoryBytes = 4242,
                           .installedMemoryKnown = true};
}

}  // namespace smbios_test

// A failed comparison of two summaries shows every field of both.
inline void PrintTo(const FirmwareSummary& s, std::ostream* out)
{
    *out << "{BIOS vendor " << s.biosVendor << ", BIOS version " << s.biosVersion << ", BIOS date "
         << s.biosReleaseDate << ", SMBIOS " << s.smbiosVersion << ", system manufacturer " << s.systemManufacturer
         << ", system model " << s.systemModel << ", processor version " << s.processorVersion
         << ", processor manufacturer " << s.processorManufacturer << ", socket " << s.processorSocket
         << ", start-up speed " << s.startSpeedMhz << (s.startSpeedKnown ? " MHz" : " (not known)")
         << ", installed memory " << s.installedMemoryBytes << (s.installedMemoryKnown ? " bytes}" : " (not known)}");
}
