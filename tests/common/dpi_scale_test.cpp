#include "common/dpi_scale.h"

#include <windows.h>

#include <gtest/gtest.h>

// The pure scaler must round exactly as Windows' MulDiv, which sized the
// window before the graphs had their own copy of the rule.
TEST(DpiScale, RoundsAsMulDivDoes)
{
    const int divisors[] = {96, 4, 72, 7, 2, -2, -3};
    const int multipliers[] = {96, 120, 144, 168, 192, 288, 1, 2, 3, -1, -5};
    for (int a = -400; a <= 400; ++a) {
        for (const int b : multipliers) {
            for (const int c : divisors) {
                ASSERT_EQ(mulDivRounded(a, b, c), MulDiv(a, b, c)) << a << " * " << b << " / " << c;
            }
        }
    }
    EXPECT_EQ(mulDivRounded(5, 5, 0), MulDiv(5, 5, 0)) << "division by 0";
    EXPECT_EQ(mulDivRounded(0x40000000, 4, 1), MulDiv(0x40000000, 4, 1)) << "a result that does not fit";
}
