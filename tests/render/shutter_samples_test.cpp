// How far clouds travel on screen over the open shutter, and the sub-frames that follows from it.
// The expected distances come from the camera's geometry: a camera standing `zoom` pixels in front
// of z = 0 sees that plane pixel for pixel, and twice as far away at half the size.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/prepared_frame.h"
#include "render/render_fixture.h"
#include "render/shutter_samples.h"

namespace nebulastra {
namespace {

using testing::addEmitter;
using testing::defaultRenderSettings;
using testing::setFrontCamera;

RenderSettings withLightAt(float x, float y, float z, float intensity = 1.0f) {
    RenderSettings s = defaultRenderSettings(200, 100);
    setFrontCamera(s, 1000.0f);
    addEmitter(s, x, y, z, 1, 1, 1, intensity);
    return s;
}

// How far the cloud reaches from its light (its largest radius), in composition pixels.
double reachOf(const RenderSettings& s) {
    const PreparedFrame f = prepareFrame(s);
    return static_cast<double>(f.emitterRadius[0]) * f.emitterMaxScale[0];
}

// A move of `pixels` in the plane z = `depth` - 1000 as the front camera (1000 pixels away) sees
// the cloud's nearest point, the end of its z axis that faces the camera: perspective makes
// nearer points move further on screen.
double nearestPointMove(double pixels, double depth, double reach) {
    return pixels * 1000.0 / (depth - reach);
}

TEST(ShutterSamples, ATranslatedCloudTravelsItsScreenDistance) {
    // In the plane the camera sees pixel for pixel the light moves 37.5 pixels on screen; the
    // cloud's point nearest the camera a little more.
    const RenderSettings path[2] = {withLightAt(60, 50, 0), withLightAt(97.5f, 50, 0)};
    const double reach = reachOf(path[0]);
    ASSERT_GT(reach, 2.0);
    ASSERT_LT(reach, 500.0);
    EXPECT_NEAR(cloudScreenTravel(path, 2), nearestPointMove(37.5, 1000, reach), 1e-6);

    // Twice as far from the camera the same move covers about half the screen distance.
    const RenderSettings far[2] = {withLightAt(60, 50, 1000), withLightAt(97.5f, 50, 1000)};
    EXPECT_NEAR(cloudScreenTravel(far, 2), nearestPointMove(37.5, 2000, reach), 1e-6);

    // At half resolution a pixel holds two of the composition's.
    RenderSettings half[2] = {withLightAt(60, 50, 0), withLightAt(97.5f, 50, 0)};
    for (RenderSettings& s : half) s.outputWidth = 100, s.outputHeight = 50;
    EXPECT_NEAR(cloudScreenTravel(half, 2), nearestPointMove(37.5, 1000, reach) / 2, 1e-6);

    // Without a camera the view drops straight along z: a diagonal move of (30, 40) is 50 pixels,
    // and a move along z alone is none.
    RenderSettings ortho[3] = {withLightAt(60, 50, 0), withLightAt(90, 90, 0), withLightAt(90, 90, 500)};
    for (RenderSettings& s : ortho) s.camera.valid = false;
    EXPECT_NEAR(cloudScreenTravel(ortho, 3), 50.0, 1e-6);

    // The path is followed through every probe: out and back is 2 x 40 pixels, though the ends agree.
    const RenderSettings outAndBack[3] = {withLightAt(60, 50, 0), withLightAt(100, 50, 0),
                                          withLightAt(60, 50, 0)};
    EXPECT_NEAR(cloudScreenTravel(outAndBack, 3), nearestPointMove(80.0, 1000, reach), 1e-6);
    // The fastest cloud decides, not the first one.
    RenderSettings two[2] = {withLightAt(60, 50, 0), withLightAt(61, 50, 0)};
    addEmitter(two[0], 100, 20, 0);
    addEmitter(two[1], 100, 45, 0);
    EXPECT_NEAR(cloudScreenTravel(two, 2), nearestPointMove(25.0, 1000, reach), 1e-6);
}

TEST(ShutterSamples, ACloudThatTurnsOrGrowsInPlaceTravelsToo) {
    // The camera rolls a quarter turn about its view with the cloud on its axis: the centre stays,
    // but the ends of the cloud's x and y axes swing over a quarter circle, a chord of r * sqrt(2).
    RenderSettings roll[2] = {withLightAt(100, 50, 0), withLightAt(100, 50, 0)};
    roll[1].camera.right[0] = 0, roll[1].camera.right[1] = 1;
    roll[1].camera.down[0] = -1, roll[1].camera.down[1] = 0;
    const double reach = reachOf(roll[0]);
    ASSERT_GT(reach, 2.0);
    EXPECT_NEAR(cloudScreenTravel(roll, 2), reach * std::sqrt(2.0), 1e-3 * reach);

    // A light growing brighter grows its cloud: the axis ends move out by the radius gained.
    const RenderSettings brighter[2] = {withLightAt(100, 50, 0, 1.0f), withLightAt(100, 50, 0, 1.5f)};
    const double grown = reachOf(brighter[1]) - reachOf(brighter[0]);
    ASSERT_GT(grown, 1.0);
    EXPECT_NEAR(cloudScreenTravel(brighter, 2), grown, 1e-3 * grown);
}

TEST(ShutterSamples, StillScenesTravelNothingUnknownMovesTakeTheMostSubFrames) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const RenderSettings still[3] = {withLightAt(60, 50, 0), withLightAt(60, 50, 0), withLightAt(60, 50, 0)};
    EXPECT_EQ(cloudScreenTravel(still, 3), 0.0);
    EXPECT_EQ(cloudScreenTravel(still, 1), 0.0);

    // Behind the camera a still light is still; a moving one has no screen distance to go by.
    const RenderSettings behindStill[2] = {withLightAt(60, 50, -1500), withLightAt(60, 50, -1500)};
    EXPECT_EQ(cloudScreenTravel(behindStill, 2), 0.0);
    const RenderSettings behindMoving[2] = {withLightAt(60, 50, -1500), withLightAt(70, 50, -1500)};
    EXPECT_EQ(cloudScreenTravel(behindMoving, 2), kInf);

    // A light that comes on while the shutter is open.
    RenderSettings appearing[2] = {withLightAt(60, 50, 0), withLightAt(60, 50, 0)};
    addEmitter(appearing[1], 10, 10, 0);
    EXPECT_EQ(cloudScreenTravel(appearing, 2), kInf);

    // One sub-frame per pixel of travel, within the cap.
    const double travel[] = {0.0,  0.4,  1.0,         1.01, 50.0, 50.2, kMaxShutterSamples + 0.5,
                             1e12, kInf, std::nan("")};
    const int32_t count[] = {
        1, 1, 1, 2, 50, 51, kMaxShutterSamples, kMaxShutterSamples, kMaxShutterSamples, kMaxShutterSamples};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(shutterSampleCount(travel[i]), count[i]) << travel[i];
}

} // namespace
} // namespace nebulastra
