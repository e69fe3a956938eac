#include "scan/memory_probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "report/memory_status.h"
#include "scan/installed_memory.h"
#include "scan/windows_failure.h"

namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

int installedCalls = 0;

BOOL WINAPI states16GiB(PULONGLONG kilobytes)
{
    ++installedCalls;
    *kilobytes = 16777216;
    return TRUE;
}

BOOL WINAPI statesZero(PULONGLONG kilobytes)
{
    ++installedCalls;
    *kilobytes = 0;
    return TRUE;
}

// Fails, but leaves an amount behind that must not be used.
BOOL WINAPI failsWithAmount(PULONGLONG kilobytes)
{
    ++installedCalls;
    *kilobytes = 16777216;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

BOOL WINAPI statesTooMuch(PULONGLONG kilobytes)
{
    ++installedCalls;
    *kilobytes = UINT64_MAX / 1024 + 1;
    return TRUE;
}

FirmwareSummary firmwareWithModules(bool known, uint64_t bytes)
{
    FirmwareSummary firmware;
    firmware.installedMemoryKnown = known;
    firmware.installedMemoryBytes = bytes;
    return firmware;
}

}  // namespace

TEST(InstalledMemory, ModuleSumFirstThenWindowsFigure)
{
    const struct {
        const char* why;
        bool usable;
        FirmwareSummary firmware;
        GetPhysicallyInstalledSystemMemoryFunction query;
        uint64_t bytes;
        bool stated;
        int calls;
    } cases[] = {
        {"usable firmware with a known sum", true, firmwareWithModules(true, 8 * kGiB), &states16GiB, 8 * kGiB, true, 0},
        {"a module of unstated size", true, firmwareWithModules(false, 0), &states16GiB, 17179869184ull, true, 1},
        {"unusable firmware", false, firmwareWithModules(true, 8 * kGiB), &states16GiB, 17179869184ull, true, 1},
        {"call missing", false, firmwareWithModules(false, 0), nullptr, 0, false, 0},
        {"call fails", true, firmwareWithModules(false, 0), &failsWithAmount, 0, false, 1},
        {"call states 0", false, firmwareWithModules(false, 0), &statesZero, 0, false, 1},
        {"amount past 64 bits in bytes", false, firmwareWithModules(false, 0), &statesTooMuch, 0, false, 1},
    };
    for (const auto& c : cases) {
        installedCalls = 0;
        MemorySample memory;
        memory.installedBytes = 12345;
        memory.installedStated = !c.stated;
        fillInstalledMemory(memory, c.usable, c.firmware, c.query);
        EXPECT_EQ(memory.installedBytes, c.bytes) << c.why;
        EXPECT_EQ(memory.installedStated, c.stated) << c.why;
        EXPECT_EQ(installedCalls, c.calls) << c.why << ": the first source that states the amount wins";
    }
}

TEST(RecordMemory, CopiesTheSampleAndItsStateIntoTheTally)
{
    ScanSnapshot snapshot;
    MemorySample failed;
    failed.reason = windowsFailureText(ERROR_INVALID_PARAMETER);
    recordMemory(snapshot, failed, true, firmwareWithModules(true, 4 * kGiB), &states16GiB);
    EXPECT_FALSE(snapshot.tally.memoryRead);
    EXPECT_EQ(snapshot.tally.memoryReason, windowsFailureText(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(snapshot.memory.read);
    EXPECT_EQ(snapshot.memory.reason, failed.reason);
    EXPECT_EQ(snapshot.memory.totalPhysical, 0u);
    EXPECT_EQ(snapshot.memory.installedBytes, 4 * kGiB) << "determined even though the sample failed";
    EXPECT_TRUE(snapshot.memory.installedStated);

    MemorySample read = memorySampleFromStatus(16 * kGiB, 6 * kGiB, 24 * kGiB, 10 * kGiB, 62);
    read.installedBytes = 1;  // the sampler's own value is replaced
    recordMemory(snapshot, read, false, firmwareWithModules(true, 4 * kGiB), nullptr);
    EXPECT_TRUE(snapshot.tally.memoryRead);
    EXPECT_TRUE(snapshot.tally.memoryReason.empty());
    EXPECT_TRUE(snapshot.memory.read);
    EXPECT_EQ(snapshot.memory.totalPhysical, 16 * kGiB);
    EXPECT_EQ(snapshot.memory.availablePhysical, 6 * kGiB);
    EXPECT_EQ(snapshot.memory.inUse, 10 * kGiB);
    EXPECT_EQ(snapshot.memory.commitTotal, 24 * kGiB);
    EXPECT_EQ(snapshot.memory.commitAvailable, 10 * kGiB);
    EXPECT_EQ(snapshot.memory.loadPercent, 62u);
    EXPECT_EQ(snapshot.memory.installedBytes, 0u);
    EXPECT_FALSE(snapshot.memory.installedStated);
}

TEST(MemoryUnderWine, ProbeFillsTheSnapshot)
{
    ScanSnapshot snapshot;
    probeMemory(snapshot, true, firmwareWithModules(true, 2 * kGiB));
    EXPECT_TRUE(snapshot.memory.read) << testing::PrintToString(snapshot.memory.reason);
    EXPECT_TRUE(snapshot.tally.memoryRead);
    EXPECT_TRUE(snapshot.tally.memoryReason.empty());
    EXPECT_GT(snapshot.memory.totalPhysical, 0u);
    EXPECT_EQ(snapshot.memory.installedBytes, 2 * kGiB);
    EXPECT_TRUE(snapshot.memory.installedStated);

    // Without the firmware, whatever this Windows' own call says.
    const GetPhysicallyInstalledSystemMemoryFunction query = findPhysicallyInstalledSystemMemory();
    ULONGLONG kilobytes = 0;
    const BOOL answered = query != nullptr ? query(&kilobytes) : FALSE;
    probeMemory(snapshot, false, firmwareWithModules(true, 2 * kGiB));
    const bool stated = answered && kilobytes != 0;
    EXPECT_EQ(snapshot.memory.installedStated, stated);
    EXPECT_EQ(snapshot.memory.installedBytes, stated ? uint64_t{kilobytes} * 1024 : 0u);
    std::printf("[   INFO   ] GetPhysicallyInstalledSystemMemory: %s, returned %d, %llu KB\n",
                query != nullptr ? "present" : "missing", static_cast<int>(answered),
                static_cast<unsigned long long>(kilobytes));
}
