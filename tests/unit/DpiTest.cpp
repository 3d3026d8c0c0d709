// Display scaling: the 96-DPI lengths the program scales.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>

#include "win/Dpi.h"

TEST(Dpi, ScalingRoundsLikeMulDivAndKeepsHugeSettingsHuge) {
    for (int value : {0, 1, 3, 29, 30, 31, 100, -1, -30, 12345}) {
        for (UINT dpi : {96u, 120u, 144u, 168u, 192u, 240u, 288u}) {
            EXPECT_EQ(win::ScaleForDpi(value, dpi), MulDiv(value, static_cast<int>(dpi), 96)) << value << " at " << dpi;
        }
    }
    // Where MulDiv gives up with -1, a margin of "never" stays "never".
    EXPECT_EQ(win::ScaleForDpi(INT_MAX, 192), INT_MAX);
    EXPECT_EQ(win::ScaleForDpi(INT_MIN, 192), INT_MIN);
}
