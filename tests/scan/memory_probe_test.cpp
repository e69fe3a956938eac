#include "scan/memory_probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/windows_failure.h"
#include "scan/fake_machine.h"

namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

FirmwareSummary firmwareWithModules(bool known, uint64_t bytes)
{
    FirmwareSummary firmware;
    firmware.installedMemoryKnown = known;
    firmware.installedMemoryBytes = bytes;
    return firmware;
}

}  // namespace

TEST(ProbeMemory, ModuleSumFirstThenWindowsFigure)
{
    const struct {
        const char* why;
        bool usable;
        FirmwareSummary firmware;
        bool haveCall;
        ULONGLONG kilobytes;
        BOOL result;
        uint64_t bytes;
        bool stated;
        int calls;
    } cases[] = {{"usable firmware with a known sum", true, firmwareWithModules(true, 8 * kGiB), true, 16777216, TRUE,
                  8 * kGiB, true, 0},
                 {"a module of unstated size", true, firmwareWithModules(false, 0), true, 16777216, TRUE,
                  17179869184ull, true, 1},
                 {"unusable firmware", false, firmwareWithModules(true, 8 * kGiB), true, 16777216, TRUE,
                  17179869184ull, true, 1},
                 {"call missing", false, firmwareWithModules(false, 0), false, 0, TRUE, 0, false, 0},
                 {"call fails", true, firmwareWithModules(false, 0), true, 16777216, FALSE, 0, false, 1},
                 {"call states 0", false, firmwareWithModules(false, 0), true, 0, TRUE, 0, false, 1},
                 {"amount past 64 bits in bytes", false, firmwareWithModules(false, 0), true, UINT64_MAX / 1024 + 1,
                  TRUE, 0, false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FakeMachine machine;
        machine.installedKilobytes = c.kilobytes;
        machine.installedResult = c.result;
        if (!c.haveCall) {
            machine.calls.memory.installedMemory = nullptr;
        }
        ScanSnapshot snapshot;
        probeMemory(snapshot, c.usable, c.firmware, machine.calls.memory);
        EXPECT_TRUE(snapshot.memory.read);
        EXPECT_TRUE(snapshot.tally.memoryRead);
        EXPECT_EQ(snapshot.memory.installedBytes, c.bytes);
        EXPECT_EQ(snapshot.memory.installedStated, c.stated);
        EXPECT_EQ(machine.installedCalls, c.calls) << "the first source that states the amount wins";
    }
}

TEST(ProbeMemory, AFailedSampleGoesToTheTallyAndTheInstalledMemoryStillCounts)
{
    FakeMachine machine;
    machine.memoryStatusFails = true;
    machine.calls.memory.installedMemory = nullptr;
    ScanSnapshot snapshot;
    snapshot.tally.memoryRead = true;
    probeMemory(snapshot, true, firmwareWithModules(true, 4 * kGiB), machine.calls.memory);
    EXPECT_FALSE(snapshot.tally.memoryRead);
    EXPECT_EQ(snapshot.tally.memoryReason, windowsFailureText(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(snapshot.memory.read);
    EXPECT_EQ(snapshot.memory.reason, snapshot.tally.memoryReason);
    EXPECT_EQ(snapshot.memory.installedBytes, 4 * kGiB) << "determined even though the sample failed";
    EXPECT_TRUE(snapshot.memory.installedStated);
}

TEST(MemoryUnderWine, ProbeFillsTheSnapshot)
{
    const MemoryCalls real;
    ScanSnapshot snapshot;
    probeMemory(snapshot, true, firmwareWithModules(true, 2 * kGiB), real);
    EXPECT_TRUE(snapshot.memory.read) << testing::PrintToString(snapshot.memory.reason);
    EXPECT_TRUE(snapshot.tally.memoryReason.empty());
    EXPECT_GT(snapshot.memory.totalPhysical, 0u);
    EXPECT_EQ(snapshot.memory.installedBytes, 2 * kGiB);

    // Without the firmware, whatever this Windows' own call says.
    ULONGLONG kilobytes = 0;
    const BOOL answered = real.installedMemory != nullptr ? real.installedMemory(&kilobytes) : FALSE;
    probeMemory(snapshot, false, firmwareWithModules(true, 2 * kGiB), real);
    const bool stated = answered && kilobytes != 0;
    EXPECT_EQ(snapshot.memory.installedStated, stated);
    EXPECT_EQ(snapshot.memory.installedBytes, stated ? uint64_t{kilobytes} * 1024 : 0u);
    std::printf("[   INFO   ] GetPhysicallyInstalledSystemMemory: %s, returned %d, %llu KB\n",
                real.installedMemory != nullptr ? "present" : "missing", static_cast<int>(answered),
                static_cast<unsigned long long>(kilobytes));
}
