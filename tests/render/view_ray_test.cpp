#include <gtest/gtest.h>

#include <cmath>

#include "render/view_ray.h"

namespace nebulastra {
namespace {

RenderSettings frame(int32_t width, int32_t height, int32_t fullWidth, int32_t fullHeight) {
    RenderSettings settings{};
    settings.outputWidth = width;
    settings.outputHeight = height;
    settings.fullWidth = fullWidth;
    settings.fullHeight = fullHeight;
    return settings;
}

void setCamera(RenderSettings& settings, const float position[3], const float right[3], const float down[3],
               const float forward[3], float zoom) {
    settings.camera.valid = true;
    for (int i = 0; i < 3; ++i) {
        settings.camera.position[i] = position[i];
        settings.camera.right[i] = right[i];
        settings.camera.down[i] = down[i];
        settings.camera.forward[i] = forward[i];
    }
    settings.camera.zoom = zoom;
}

// The direction must be the unit vector along the image-plane point d.
void expectAlong(const float direction[3], float dx, float dy, float dz) {
    const double length = std::sqrt(double(dx) * dx + double(dy) * dy + double(dz) * dz);
    EXPECT_NEAR(direction[0], dx / length, 1e-6);
    EXPECT_NEAR(direction[1], dy / length, 1e-6);
    EXPECT_NEAR(direction[2], dz / length, 1e-6);
}

const float kOrigin[3] = {0.0f, 0.0f, 0.0f};
const float kX[3] = {1.0f, 0.0f, 0.0f};
const float kY[3] = {0.0f, 1.0f, 0.0f};
const float kZ[3] = {0.0f, 0.0f, 1.0f};

TEST(ViewRay, PinholeThroughTheImagePlane) {
    RenderSettings settings = frame(1920, 1080, 1920, 1080);
    setCamera(settings, kOrigin, kX, kY, kZ, 2666.7f);
    float origin[3], direction[3];

    viewRayForPixel(0, 0, settings, origin, direction);
    expectAlong(direction, -959.5f, -539.5f, 2666.7f);
    EXPECT_EQ(origin[0], 0.0f);

    viewRayForPixel(960, 540, settings, origin, direction);
    expectAlong(direction, 0.5f, 0.5f, 2666.7f);

    // Half resolution samples the same view: output (0, 0) is the full-resolution point (1, 1).
    RenderSettings half = frame(960, 540, 1920, 1080);
    setCamera(half, kOrigin, kX, kY, kZ, 2666.7f);
    viewRayForPixel(0, 0, half, origin, direction);
    expectAlong(direction, -959.0f, -539.0f, 2666.7f);
}

TEST(ViewRay, CameraAxesAndPositionAreUsedAsGiven) {
    // A camera at (100, 200, 300) looking down -x, with pixel columns growing along -z.
    const float position[3] = {100.0f, 200.0f, 300.0f};
    const float right[3] = {0.0f, 0.0f, -1.0f};
    const float forward[3] = {-1.0f, 0.0f, 0.0f};
    RenderSettings settings = frame(3, 3, 30, 30);
    setCamera(settings, position, right, kY, forward, 50.0f);
    float origin[3], direction[3];

    viewRayForPixel(1, 1, settings, origin, direction); // the centre pixel looks along the axis
    EXPECT_EQ(origin[0], 100.0f);
    EXPECT_EQ(origin[1], 200.0f);
    EXPECT_EQ(origin[2], 300.0f);
    expectAlong(direction, -1.0f, 0.0f, 0.0f);

    viewRayForPixel(2, 0, settings, origin, direction); // dx = 10, dy = -10
    expectAlong(direction, -50.0f, -10.0f, -10.0f);
}

TEST(ViewRay, DegenerateCameraFallsBackToPlusZ) {
    const float zero[3] = {0.0f, 0.0f, 0.0f};
    RenderSettings settings = frame(1, 1, 1, 1); // the single pixel sits on the axis: dx = dy = 0
    setCamera(settings, kOrigin, zero, zero, zero, 0.0f);
    float origin[3], direction[3];
    viewRayForPixel(0, 0, settings, origin, direction);
    EXPECT_EQ(direction[0], 0.0f);
    EXPECT_EQ(direction[1], 0.0f);
    EXPECT_EQ(direction[2], 1.0f);
}

TEST(ViewRay, OrthographicWithoutCamera) {
    float origin[3], direction[3];
    RenderSettings full = frame(1920, 1080, 1920, 1080);
    viewRayForPixel(0, 0, full, origin, direction);
    EXPECT_EQ(origin[0], 0.5f);
    EXPECT_EQ(origin[1], 0.5f);
    EXPECT_EQ(origin[2], -100000.0f);
    EXPECT_EQ(direction[0], 0.0f);
    EXPECT_EQ(direction[1], 0.0f);
    EXPECT_EQ(direction[2], 1.0f);

    viewRayForPixel(1919, 1079, full, origin, direction);
    EXPECT_EQ(origin[0], 1919.5f);
    EXPECT_EQ(origin[1], 1079.5f);

    RenderSettings half = frame(960, 540, 1920, 1080);
    viewRayForPixel(0, 0, half, origin, direction);
    EXPECT_EQ(origin[0], 1.0f);
    EXPECT_EQ(origin[1], 1.0f);
}

} // namespace
} // namespace nebulastra
