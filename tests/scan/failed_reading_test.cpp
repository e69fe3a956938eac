#include "scan/failed_reading.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/windows_failure.h"

TEST(FailedFromLastError, ReportsTheLastErrorSetBeforeTheCall)
{
    SetLastError(ERROR_ACCESS_DENIED);
    const Reading reading = failedFromLastError(L"reading the computer name");
    EXPECT_EQ(reading.state, ReadingState::Failed);
    EXPECT_TRUE(reading.value.empty());
    EXPECT_EQ(reading.reason, L"reading the computer name: " + windowsFailureText(ERROR_ACCESS_DENIED));

    SetLastError(0);
    EXPECT_EQ(failedFromLastError(L"converting the start time").reason,
              L"converting the start time: the call failed without setting an error code");
}
