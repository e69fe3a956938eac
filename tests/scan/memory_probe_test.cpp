#include "scan/memory_probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/windows_failure.h"
#include "scan/fake_machine.h"

namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

FirmwareResult firmwareWithModules(bool usable, bool known, uint64_t bytes)
{
    FirmwareResult firmware;
    firmware.usable = usable;
    firmware.summary.installedMemoryKnown = known;
    firmware.summary.installedMemoryBytes = bytes;
    return firmware;
}

}  // namespace

TEST(ProbeMemory, ModuleSumFirstThenWindowsFigure)
{
    const struct {
        const char* why;
        FirmwareResult firmware;
        bool haveCall;
        ULONGLONG kilobytes;
        BOOL result;
        uint64_t bytes;
        bool stated;
        int calls;
    } cases[] = {{"usable firmware with a known sum", firmwareWithModules(true, true, 8 * kGiB), true, 16777216, TRUE,
                  8 * kGiB, true, 0},
                 {"a module of unstated size", firmwareWithModules(true, false, 0), true, 16777216, TRUE,
                  17179869184ull, true, 1},
                 {"unusable firmware", firmwareWithModules(false, true, 8 * kGiB), true, 16777216, TRUE,
                  17179869184ull, true, 1},
                 {"call missing", firmwareWithModules(false, false, 0), false, 0, TRUE, 0, false, 0},
                 {"call fails", firmwareWithModules(true, false, 0), true, 16777216, FALSE, 0, false, 1},
                 {"call states 0", firmwareWithModules(false, false, 0), true, 0, TRUE, 0, false, 1},
                 {"amount past 64 bits in bytes", firmwareWithModules(false, false, 0), true, UINT64_MAX / 1024 + 1,
                  TRUE, 0, false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FakeMachine machine;
        machine.installedKilobytes = c.kilobytes;
        machine.installedResult = c.result;
        if (!c.haveCall) {
            machine.calls.memory.installedMemory = nullptr;
        }
        const MemorySample memory = probeMemory(c.firmware, machine.calls.memory);
        EXPECT_TRUE(memory.read);
        EXPECT_EQ(memory.installedBytes, c.bytes);
        EXPECT_EQ(memory.installedStated, c.stated);
        EXPECT_EQ(machine.installedCalls, c.calls) << "the first source that states the amount wins";
    }
}

TEST(ProbeMemory, AFailedSampleStillGetsTheInstalledMemory)
{
    FakeMachine machine;
    machine.memoryStatusFails = true;
    const MemorySample memory = probeMemory(firmwareWithModules(true, true, 4 * kGiB), machine.calls.memory);
    EXPECT_FALSE(memory.read);
    EXPECT_EQ(memory.reason, windowsFailureText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(memory.installedBytes, 4 * kGiB) << "determined even though the sample failed";
    EXPECT_TRUE(memory.installedStated);
}

TEST(MemoryUnderWine, ProbeReadsThisMachine)
{
    const MemoryCalls real;
    MemorySample memory = probeMemory(firmwareWithModules(true, true, 2 * kGiB), real);
    EXPECT_TRUE(memory.read) << testing::PrintToString(memory.reason);
    EXPECT_GT(memory.totalPhysical, 0u);
    EXPECT_EQ(memory.installedBytes, 2 * kGiB);

    // Without the firmware, whatever this Windows' own call says.
    ULONGLONG kilobytes = 0;
    const BOOL answered = real.installedMemory != nullptr ? real.installedMemory(&kilobytes) : FALSE;
    memory = probeMemory(firmwareWithModules(false, true, 2 * kGiB), real);
    const bool stated = answered && kilobytes != 0;
    EXPECT_EQ(memory.installedStated, stated);
    EXPECT_EQ(memory.installedBytes, stated ? uint64_t{kilobytes} * 1024 : 0u);
    std::printf("[   INFO   ] GetPhysicallyInstalledSystemMemory: %s, returned %d, %llu KB\n",
                real.installedMemory != nullptr ? "present" : "missing", static_cast<int>(answered),
                static_cast<unsigned long long>(kilobytes));
}
