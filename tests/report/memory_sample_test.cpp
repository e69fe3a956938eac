#include "report/memory_sample.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "common/windows_failure.h"

namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

// What the stand-in GlobalMemoryStatusEx answers; all 0 makes it fail.
MEMORYSTATUSEX answer{};

BOOL WINAPI fakeGlobalMemoryStatusEx(LPMEMORYSTATUSEX status)
{
    if (status->dwLength != sizeof(MEMORYSTATUSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (answer.dwLength == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    *status = answer;
    return TRUE;
}

MemorySample sampleWith(uint64_t total, uint64_t available)
{
    answer = MEMORYSTATUSEX{sizeof(MEMORYSTATUSEX), 68, total, available, 20 * kGiB, 9 * kGiB, 0, 0, 0};
    return sampleMemory(MemoryStatusCalls{fakeGlobalMemoryStatusEx});
}

}  // namespace

TEST(SampleMemory, CopiesTheFiguresAndNeverWrapsInUse)
{
    const MemorySample sample = sampleWith(16 * kGiB, 5 * kGiB);
    EXPECT_TRUE(sample.read);
    EXPECT_TRUE(sample.reason.empty());
    EXPECT_EQ(sample.totalPhysical, 16 * kGiB);
    EXPECT_EQ(sample.availablePhysical, 5 * kGiB);
    EXPECT_EQ(sample.inUse, 11 * kGiB);
    EXPECT_EQ(sample.commitTotal, 20 * kGiB);
    EXPECT_EQ(sample.commitAvailable, 9 * kGiB);
    EXPECT_EQ(sample.loadPercent, 68u);
    EXPECT_EQ(sample.installedBytes, 0u);
    EXPECT_FALSE(sample.installedStated);

    const struct {
        uint64_t total;
        uint64_t available;
        uint64_t inUse;
    } cases[] = {
        {8 * kGiB, 9 * kGiB, 0},     {8 * kGiB, 8 * kGiB, 0},     {0, 1, 0},
        {UINT64_MAX, 0, UINT64_MAX}, {8 * kGiB, 8 * kGiB - 1, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sampleWith(c.total, c.available).inUse, c.inUse)
            << "total " << c.total << ", available " << c.available;
    }

    answer = MEMORYSTATUSEX{};
    const MemorySample failed = sampleMemory(MemoryStatusCalls{fakeGlobalMemoryStatusEx});
    EXPECT_FALSE(failed.read);
    EXPECT_EQ(failed.reason, windowsFailureText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(failed.totalPhysical, 0u);

    EXPECT_TRUE(sampleMemory().read) << "the real call";
}
