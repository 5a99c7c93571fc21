// The per-pixel kernel's rules on small frames at the effect's defaults: one light at the centre of
// a 32 x 18 layer, seen by a camera in front of it. (What it draws is pinned by the reference frames.)

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "render/prepared_frame.h"
#include "render/shade_pixel.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

using testing::addEmitter;

constexpr int32_t kWidth = 32, kHeight = 18;
constexpr float kCx = 16.0f, kCy = 9.0f; // the layer's centre

RenderSettings noClouds() {
    RenderSettings s = testing::defaultRenderSettings(kWidth, kHeight);
    testing::setFrontCamera(s, 60.0f);
    return s;
}

RenderSettings centreCloud() {
    RenderSettings s = noClouds();
    addEmitter(s, kCx, kCy, 0, 1.0f, 0.8f, 0.6f);
    return s;
}

struct Pixel {
    float r, g, b, a;
};

std::vector<Pixel> shadeAll(const RenderSettings& s) {
    const CloudField field = makeCloudField(s);
    std::vector<Pixel> pixels(kWidth * kHeight);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            Pixel& p = pixels[y * kWidth + x];
            shadePixel(x, y, field, p.r, p.g, p.b, p.a);
        }
    return pixels;
}

bool transparentBlack(const Pixel& p) { return p.r == 0.0f && p.g == 0.0f && p.b == 0.0f && p.a == 0.0f; }

TEST(ShadePixel, TransparentWhenNothingCanBeSeen) {
    RenderSettings noDensity = centreCloud();
    noDensity.density = 0.0f;
    RenderSettings lookingAway = centreCloud(); // a camera past the cloud, facing away from it
    lookingAway.camera = {true, {kCx, kCy, 200}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 100.0f};
    for (const RenderSettings& s : {noDensity, noClouds(), lookingAway})
        for (const Pixel& p : shadeAll(s)) ASSERT_TRUE(transparentBlack(p));
}

TEST(ShadePixel, BrightnessAndSelfShadowChangeLightNotCoverage) {
    RenderSettings s = centreCloud();
    const std::vector<Pixel> normal = shadeAll(s);
    s.brightness = 0.0f;
    const std::vector<Pixel> dark = shadeAll(s);
    s.brightness = 4.0f;
    const std::vector<Pixel> bright = shadeAll(s);
    s = centreCloud();
    s.selfShadow = 0.0f;
    const std::vector<Pixel> unshadowed = shadeAll(s);
    s.selfShadow = 2.0f;
    const std::vector<Pixel> shadowed = shadeAll(s);
    bool aboveOne = false, darker = false;
    for (std::size_t i = 0; i < normal.size(); ++i) {
        EXPECT_EQ(dark[i].a, normal[i].a);
        EXPECT_EQ(dark[i].r, 0.0f);
        EXPECT_EQ(bright[i].a, normal[i].a);
        EXPECT_NEAR(bright[i].r, 4.0f * normal[i].r, 1e-5f);
        aboveOne |= bright[i].r > 1.0f; // bright output reaches the caller unclamped
        EXPECT_EQ(shadowed[i].a, unshadowed[i].a);
        EXPECT_LE(shadowed[i].r, unshadowed[i].r * 1.00001f); // shadows only darken
        darker |= shadowed[i].r < unshadowed[i].r * 0.9f;
    }
    EXPECT_TRUE(aboveOne);
    EXPECT_TRUE(darker);
}

TEST(ShadePixel, LightRatioCappedAtFour) {
    // Strong sun and ambient: colour above alpha, but at most 4 times it.
    RenderSettings s = centreCloud();
    s.sunIntensity = 4.0f;
    s.ambient = 2.0f;
    bool aboveAlpha = false;
    for (const Pixel& p : shadeAll(s)) {
        ASSERT_LE(p.r, 4.0f * p.a * 1.00001f);
        aboveAlpha |= p.r > 2.0f * p.a;
    }
    EXPECT_TRUE(aboveAlpha);
}

TEST(ShadePixel, AmbientLightAloneEqualsCoverage) {
    // No sun, ambient 100 %: each step adds its absorbed share (1 - Ts) T, which sums to the
    // coverage 1 - T, so a white cloud's colour equals its alpha.
    RenderSettings s = centreCloud();
    s.emitters[0].color[1] = s.emitters[0].color[2] = 1.0f;
    s.textureStrength = 0.0f;
    s.sunIntensity = 0.0f;
    s.ambient = 1.0f;
    int covered = 0;
    for (const Pixel& p : shadeAll(s)) {
        ASSERT_NEAR(p.r, p.a, 1e-4f);
        ASSERT_NEAR(p.b, p.a, 1e-4f);
        covered += p.a > 0.5f;
    }
    EXPECT_GT(covered, 10);
}

TEST(ShadePixel, AThickCloudStopsTheMarchJustPastThreeTenthsOfAPercentTransmittance) {
    // Thin steps through a thick cloud: the march ends on the first step that takes the
    // transmittance below 0.3 %, so the coverage of every ray that stops lands just past 99.7 %,
    // never far beyond (a later stop) and never short of it (an earlier one).
    RenderSettings s = centreCloud();
    s.qualitySteps = 512;
    s.density = 10.0f;
    int justPast = 0;
    for (const Pixel& p : shadeAll(s)) {
        EXPECT_LT(p.a, 0.9975f);
        justPast += p.a > 0.997f;
    }
    EXPECT_GT(justPast, 20);
}

TEST(ShadePixel, CloudsAlongTheRayMixAndAnOpaqueOneHidesWhatIsBehind) {
    // The optical lengths are not weighted by transmittance: swapping a red cloud in front of a
    // blue one for one behind it keeps the colour mix (up to the sampling of the two clouds).
    RenderSettings s = noClouds();
    s.density = 1.0f;
    s.textureStrength = 0.0f;
    addEmitter(s, kCx, kCy, -6, 1, 0, 0);
    addEmitter(s, kCx, kCy, 6, 0, 0, 1);
    const Pixel redFirst = shadeAll(s)[8 * kWidth + 15];
    std::swap(s.emitters[0].position[2], s.emitters[1].position[2]);
    const Pixel blueFirst = shadeAll(s)[8 * kWidth + 15];
    ASSERT_GT(redFirst.a, 0.5f);
    ASSERT_LT(redFirst.a, 0.997f); // the march ran through both clouds
    const float ratio = (redFirst.r / redFirst.b) / (blueFirst.r / blueFirst.b);
    EXPECT_GT(ratio, 0.8f);
    EXPECT_LT(ratio, 1.25f);

    // Dense and farther apart: the march ends inside the red cloud, the blue one adds nothing.
    s.density = 10.0f;
    s.emitters[0].position[2] = -20;
    s.emitters[1].position[2] = 20;
    const Pixel front = shadeAll(s)[8 * kWidth + 15];
    ASSERT_GT(front.a, 0.99f);
    EXPECT_GT(front.r, 0.05f);
    EXPECT_LT(front.b, 1e-4f);
}

} // namespace
} // namespace nebulastra
