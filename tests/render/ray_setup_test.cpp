// A pixel's view ray and the set-up of its march: the clip to the bound sphere, the step count
// and the sun's phase function (the per-pixel jitter is pinned by the reference frames).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/march_setup.h"
#include "render/view_ray.h"

namespace nebulastra {
namespace {

struct Vec {
    float x, y, z;
};

// A width x height output of a fullWidth x fullHeight layer, seen through `camera` (or none).
RenderSettings frame(int32_t width, int32_t height, int32_t fullWidth, int32_t fullHeight,
                     const CameraView* camera = nullptr) {
    RenderSettings s{};
    s.outputWidth = width, s.outputHeight = height, s.fullWidth = fullWidth, s.fullHeight = fullHeight;
    if (camera != nullptr) s.camera = *camera;
    return s;
}

// (The camera-less view, parallel rays from the pixel centres, is pinned by the reference frame.)
TEST(ViewRay, PinholeAlongTheImagePlanePoint) {
    // A camera at the origin looking down +z; one at (100, 200, 300) looking down -x with pixel
    // columns growing along -z; and a degenerate one, which falls back to +z.
    const CameraView front = {true, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 2666.7f};
    const CameraView turned = {true, {100, 200, 300}, {0, 0, -1}, {0, 1, 0}, {-1, 0, 0}, 50.0f};
    const CameraView degenerate = {true, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 0.0f};
    const struct {
        RenderSettings settings;
        int32_t x, y;
        Vec along; // the direction is the unit vector along this image-plane point
    } cases[] = {
        {frame(1920, 1080, 1920, 1080, &front), 0, 0, {-959.5f, -539.5f, 2666.7f}},
        {frame(1920, 1080, 1920, 1080, &front), 960, 540, {0.5f, 0.5f, 2666.7f}},
        // Half resolution samples the same view: output (0, 0) is the full-resolution point (1, 1).
        {frame(960, 540, 1920, 1080, &front), 0, 0, {-959.0f, -539.0f, 2666.7f}},
        {frame(3, 3, 30, 30, &turned), 1, 1, {-1, 0, 0}},      // the centre pixel: along the axis
        {frame(3, 3, 30, 30, &turned), 2, 0, {-50, -10, -10}}, // dx = 10, dy = -10
        {frame(1, 1, 1, 1, &degenerate), 0, 0, {0, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "pixel " << c.x << ", " << c.y);
        float origin[3], direction[3];
        viewRayForPixel(c.x, c.y, c.settings, origin, direction);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(origin[i], c.settings.camera.position[i]);
        const double length = std::sqrt(double(c.along.x) * c.along.x + double(c.along.y) * c.along.y +
                                        double(c.along.z) * c.along.z);
        EXPECT_NEAR(direction[0], c.along.x / length, 1e-6);
        EXPECT_NEAR(direction[1], c.along.y / length, 1e-6);
        EXPECT_NEAR(direction[2], c.along.z / length, 1e-6);
    }
}

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

TEST(SunPhase, ForwardScatteringPeakWithoutFourPi) {
    EXPECT_NEAR(sunPhase(0.45f, 1.0f), 4.7933884f, 1e-5f);   // looking straight at the sun
    EXPECT_NEAR(sunPhase(0.45f, 0.0f), 0.60478786f, 1e-6f);  // across
    EXPECT_NEAR(sunPhase(0.45f, -1.0f), 0.26159334f, 1e-6f); // away
}

} // namespace
} // namespace nebulastra
