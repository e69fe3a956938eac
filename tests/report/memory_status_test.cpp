#include "report/memory_status.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

}  // namespace

TEST(MemorySampleFromStatus, CopiesTheFiguresAndNeverWrapsInUse)
{
    const MemorySample sample = memorySampleFromStatus(16 * kGiB, 5 * kGiB, 20 * kGiB, 9 * kGiB, 68);
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
        {8 * kGiB, 9 * kGiB, 0},
        {8 * kGiB, 8 * kGiB, 0},
        {0, 1, 0},
        {UINT64_MAX, 0, UINT64_MAX},
        {8 * kGiB, 8 * kGiB - 1, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(memorySampleFromStatus(c.total, c.available, 0, 0, 0).inUse, c.inUse)
            << "total " << c.total << ", available " << c.available;
    }
}
