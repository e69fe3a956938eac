#include "common/scope_exit.h"

#include <gtest/gtest.h>

TEST(ScopeExit, RunsOnceAtTheEndOfItsScopeUnlessReleased)
{
    int runs = 0;
    {
        const ScopeExit count([&runs] { ++runs; });
        EXPECT_EQ(runs, 0) << "ran before the scope ended";
    }
    EXPECT_EQ(runs, 1);
    {
        ScopeExit count([&runs] { ++runs; });
        count.release();
    }
    EXPECT_EQ(runs, 1) << "ran after it was released";
}
