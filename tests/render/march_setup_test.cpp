#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/march_setup.h"

namespace nebulastra {
namespace {

TEST(BoundSphereClip, SpanInsideTheSphere) {
    const float centre[3] = {10, 20, 30};
    const float down[3] = {0, 0, 1};
    float tNear, tFar;

    const float inFront[3] = {10, 20, -70};
    ASSERT_TRUE(clipToBoundSphere(inFront, down, centre, 50, tNear, tFar));
    EXPECT_EQ(tNear, 50.0f);
    EXPECT_EQ(tFar, 150.0f);

    const float inside[3] = {10, 20, 40}; // the origin inside: the march starts at the eye
    ASSERT_TRUE(clipToBoundSphere(inside, down, centre, 50, tNear, tFar));
    EXPECT_EQ(tNear, 0.0f);
    EXPECT_EQ(tFar, 40.0f);

    const float beside[3] = {70, 20, -70}; // passes 60 pixels from the centre: a miss
    EXPECT_FALSE(clipToBoundSphere(beside, down, centre, 50, tNear, tFar));
    const float behind[3] = {10, 20, 100}; // the sphere lies wholly behind the origin
    EXPECT_FALSE(clipToBoundSphere(behind, down, centre, 50, tNear, tFar));
    const float nanOrigin[3] = {std::numeric_limits<float>::quiet_NaN(), 0, 0};
    EXPECT_FALSE(clipToBoundSphere(nanOrigin, down, centre, 50, tNear, tFar));
}

TEST(BoundSphereClip, FarEyeQuantisesTheSquares) {
    // The camera-less eye sits 1e5 pixels away: |oc|^2 is about 1e10, where floats are 1024
    // apart, so a sphere of radius 40 clips to a span of 2 sqrt(2048), not 80. Every pixel of the
    // orthographic view sees the same quantisation, so this is part of the picture.
    const float origin[3] = {0.5f, 0.5f, -100000.0f};
    const float direction[3] = {0, 0, 1};
    const float centre[3] = {0, 0, 0};
    float tNear, tFar;
    ASSERT_TRUE(clipToBoundSphere(origin, direction, centre, 40, tNear, tFar));
    EXPECT_FLOAT_EQ(tNear, 99954.7422f);
    EXPECT_FLOAT_EQ(tFar, 100045.258f);
}

TEST(MarchSteps, QualityIsTheMinimumAndTheStepAtMostSevenHundredthsOfACloud) {
    EXPECT_EQ(marchStepCount(1000.0f, 100.0f, 64), 142);   // 1000 / 7 = 142.9
    EXPECT_EQ(marchStepCount(10000.0f, 100.0f, 64), 1024); // 1428 capped
    EXPECT_EQ(marchStepCount(100.0f, 100.0f, 64), 64);     // 14 steps would do: quality wins
    EXPECT_EQ(marchStepCount(1000.0f, 100.0f, 200), 200);
    EXPECT_EQ(marchStepCount(1.0f, 100.0f, 2), 4);    // never fewer than 4
    EXPECT_EQ(marchStepCount(10.0f, 0.25f, 16), 142); // the cloud size counts as at least 1
    EXPECT_EQ(marchStepCount(1e12f, 1.0f, 16), 1024); // beyond int32: still the cap
    EXPECT_EQ(marchStepCount(std::numeric_limits<float>::quiet_NaN(), 10.0f, 32), 32);
}

TEST(PixelJitter, FixedPerPixelAndBelowOne) {
    EXPECT_FLOAT_EQ(pixelJitter(0, 0), 0.970285118f);
    EXPECT_FLOAT_EQ(pixelJitter(1, 0), 0.754965127f);
    EXPECT_FLOAT_EQ(pixelJitter(0, 1), 0.0499449857f);
    EXPECT_FLOAT_EQ(pixelJitter(5, 7), 0.271677047f);
    EXPECT_FLOAT_EQ(pixelJitter(1919, 1079), 0.758978009f);
    for (int32_t y = 0; y < 64; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            const float j = pixelJitter(x, y);
            ASSERT_GE(j, 0.0f);
            ASSERT_LT(j, 0.999f);
        }
    }
}

TEST(SunPhase, ForwardScatteringPeakWithoutFourPi) {
    EXPECT_NEAR(sunPhase(0.45f, 1.0f), 4.7933884f, 1e-5f);   // looking straight at the sun
    EXPECT_NEAR(sunPhase(0.45f, 0.0f), 0.60478786f, 1e-6f);  // across
    EXPECT_NEAR(sunPhase(0.45f, -1.0f), 0.26159334f, 1e-6f); // away
}

} // namespace
} // namespace nebulastra
