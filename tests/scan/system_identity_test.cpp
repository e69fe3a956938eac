#include "scan/system_identity.h"

#include <gtest/gtest.h>

#include "common/windows_failure.h"

TEST(DurationText, PadsMinutesOnlyAfterHoursAndCountsDays)
{
    const struct {
        uint64_t milliseconds;
        const wchar_t* text;
    } cases[] = {{0, L"0:00"},
                 {999, L"0:00"},
                 {59'999, L"0:59"},
                 {60'000, L"1:00"},
                 {3'599'999, L"59:59"},
                 {3'600'000, L"1:00:00"},
                 {36'000'000, L"10:00:00"},
                 {86'399'999, L"23:59:59"},
                 {86'400'000, L"1 day, 0:00:00"},
                 {90'061'000, L"1 day, 1:01:01"},
                 {183'845'999, L"2 days, 3:04:05"},
                 {UINT64_MAX, L"213503982334 days, 14:25:51"}};
    for (const auto& c : cases) {
        EXPECT_EQ(durationText(c.milliseconds), c.text) << c.milliseconds << " ms";
    }
}

TEST(CurrentVersionReading, AbsentOrEmptyIsNoneOtherFailuresAreFailed)
{
    EXPECT_EQ(currentVersionReading(true, L"Windows 10 Pro", 0, L"product name"), readingOk(L"Windows 10 Pro"));
    EXPECT_EQ(currentVersionReading(true, L"", 0, L"registered owner"),
              readingNone(L"Windows records no registered owner"));
    EXPECT_EQ(currentVersionReading(false, L"", 2, L"release name"), readingNone(L"Windows records no release name"));
    EXPECT_EQ(currentVersionReading(false, L"", 13, L"product name"),
              readingFailed(L"reading product name: " + windowsFailureText(13)));
    EXPECT_EQ(currentVersionReading(false, L"", 5, L"registered organization"),
              readingFailed(L"reading registered organization: " + windowsFailureText(5)));
}

TEST(WindowsVersionText, HasFourPartsOnlyWithUbr)
{
    EXPECT_EQ(windowsVersionText(10, 0, 19045, false, 0), L"10.0.19045");
    EXPECT_EQ(windowsVersionText(10, 0, 19045, true, 3803), L"10.0.19045.3803");
    EXPECT_EQ(windowsVersionText(6, 1, 7601, true, 0), L"6.1.7601.0");
    EXPECT_EQ(windowsVersionText(4294967295u, 0, 1, false, 0), L"4294967295.0.1");
}

TEST(WindowsProductReading, RenamesWindows10OnlyAboveBuild21999)
{
    const struct {
        const wchar_t* product;
        uint32_t major;
        uint32_t build;
        const wchar_t* shown;
    } cases[] = {{L"Windows 10 Pro", 10, 22631, L"Windows 11 Pro"},
                 {L"Windows 10 Pro", 10, 22000, L"Windows 11 Pro"},
                 {L"Windows 10 Pro", 10, 21999, L"Windows 10 Pro"},
                 {L"Windows 10 Pro", 10, 19045, L"Windows 10 Pro"},
                 {L"Windows 10 Pro", 6, 22631, L"Windows 10 Pro"},
                 {L"Windows 10", 10, 22631, L"Windows 11"},
                 {L"Microsoft Windows 10 Home, Windows 10", 10, 26100, L"Microsoft Windows 11 Home, Windows 10"},
                 {L"Windows Server 2022", 10, 26100, L"Windows Server 2022"},
                 {L"windows 10 pro", 10, 22631, L"windows 10 pro"}};
    for (const auto& c : cases) {
        EXPECT_EQ(windowsProductReading(readingOk(c.product), c.major, c.build), readingOk(c.shown))
            << c.product << " " << c.major << "." << c.build;
    }
    const Reading none = readingNone(L"Windows records no product name");
    EXPECT_EQ(windowsProductReading(none, 10, 22631), none);
    Reading failed = readingFailed(L"reading product name: Windows 10");
    failed.value = L"Windows 10 Pro";  // never looked at, whatever it holds
    EXPECT_EQ(windowsProductReading(failed, 10, 22631), failed);
}

TEST(ArchitectureReading, NamesTheKnownArchitectures)
{
    // Without an answer from IsWow64Process2 (machine 0) the processor architecture decides.
    EXPECT_EQ(architectureReading(0, 0), readingOk(L"x86"));
    EXPECT_EQ(architectureReading(0, 5), readingOk(L"ARM"));
    EXPECT_EQ(architectureReading(0, 6), readingOk(L"Itanium"));
    EXPECT_EQ(architectureReading(0, 9), readingOk(L"x64"));
    EXPECT_EQ(architectureReading(0, 12), readingOk(L"ARM64"));
    for (const uint16_t unknown : {uint16_t{1}, uint16_t{10}, uint16_t{14}, uint16_t{0xFFFF}}) {
        EXPECT_EQ(architectureReading(0, unknown),
                  readingNone(L"Windows reports an architecture this program does not have a name for"))
            << unknown;
    }
}

TEST(DnsNameReading, EmptyNamesSayWhatIsMissing)
{
    EXPECT_EQ(dnsNameReading(L"build-01", 1), readingOk(L"build-01"));
    EXPECT_EQ(dnsNameReading(L"corp.example", 6), readingOk(L"corp.example"));
    EXPECT_EQ(dnsNameReading(L"", 1), readingNone(L"this machine has no DNS host name"));
    EXPECT_EQ(dnsNameReading(L"", 6), readingNone(L"this machine has no DNS domain; it is not joined to one"));
}
