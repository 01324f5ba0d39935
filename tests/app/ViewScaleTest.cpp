#include "app/ViewScale.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ViewScale, FitShrinksToTheTighterSideAndNeverEnlarges)
{
    EXPECT_DOUBLE_EQ(FitScale(CSize{6000, 4000}, CSize{800, 600}), 800.0 / 6000);
    EXPECT_DOUBLE_EQ(FitScale(CSize{4000, 6000}, CSize{800, 600}), 600.0 / 6000);
    EXPECT_DOUBLE_EQ(FitScale(CSize{320, 200}, CSize{800, 600}), 1.0);
    EXPECT_DOUBLE_EQ(FitScale(CSize{0, 0}, CSize{800, 600}), 1.0);
    EXPECT_DOUBLE_EQ(FitScale(CSize{800, 600}, CSize{0, 600}), 1.0);
    EXPECT_EQ(ScaledSize(CSize{6000, 4000}, 800.0 / 6000), (CSize{800, 533}));
    EXPECT_EQ(ScaledSize(CSize{6000, 1}, 1.0 / 16), (CSize{375, 1}));
}

TEST(ViewScale, ZoomStepsRunFromASixteenthToSixteenTimesThroughEveryPowerOfTwo)
{
    double scale = kMinZoom;
    int steps = 0;
    while (scale < kMaxZoom) {
        double next = ZoomInStep(scale);
        ASSERT_GT(next / scale, 1.2);
        ASSERT_LT(next / scale, 1.3);
        EXPECT_DOUBLE_EQ(ZoomOutStep(next), scale);
        scale = next;
        ++steps;
    }
    EXPECT_EQ(steps, 24);
    EXPECT_DOUBLE_EQ(ZoomInStep(kMaxZoom), kMaxZoom);
    EXPECT_DOUBLE_EQ(ZoomOutStep(kMinZoom), kMinZoom);
    for (double power : {0.25, 0.5, 1.0, 2.0})
        EXPECT_NEAR(ZoomInStep(ZoomOutStep(power)), power, 1e-12);
    // From a fitted scale between steps, the neighbouring steps.
    EXPECT_NEAR(ZoomInStep(0.14), std::exp2(-8.0 / 3), 1e-12);
    EXPECT_NEAR(ZoomOutStep(0.14), 0.125, 1e-12);
    EXPECT_DOUBLE_EQ(ZoomInStep(1000), kMaxZoom);
}

TEST(ViewScale, ScaleTexts)
{
    EXPECT_EQ(ScaleText(1), "100%");
    EXPECT_EQ(ScaleText(0.25), "25%");
    EXPECT_EQ(ScaleText(0.125), "12.5%");
    EXPECT_EQ(ScaleText(1.0 / 16), "6.25%");
    EXPECT_EQ(ScaleText(std::exp2(-1.0 / 3)), "79%");
    EXPECT_EQ(ScaleText(16), "1600%");
}
