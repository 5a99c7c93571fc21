// The per-pixel kernel on small frames at the effect's defaults: one light at the centre of a
// 32 x 18 layer, seen by a camera in front of it.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/prepared_frame.h"
#include "render/shade_pixel.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

using testing::addEmitter;
using testing::setFrontCamera;

RenderSettings defaultRenderSettings(int32_t width, int32_t height) {
    RenderSettings s = testing::defaultRenderSettings(width, height);
    setFrontCamera(s, 60.0f);
    return s;
}

constexpr int32_t kWidth = 32;
constexpr int32_t kHeight = 18;
constexpr float kCx = 16.0f, kCy = 9.0f; // the layer's centre

RenderSettings centreCloud() {
    RenderSettings s = defaultRenderSettings(kWidth, kHeight);
    addEmitter(s, kCx, kCy, 0, 1.0f, 0.8f, 0.6f);
    return s;
}

struct Pixel {
    float r, g, b, a;
};

std::vector<Pixel> shadeAll(const RenderSettings& s) {
    const PreparedFrame prepared = prepareFrame(s);
    std::vector<Pixel> pixels(kWidth * kHeight);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            Pixel& p = pixels[y * kWidth + x];
            shadePixel(x, y, s, prepared, p.r, p.g, p.b, p.a);
        }
    return pixels;
}

TEST(ShadePixel, DrawsAnOpaqueCloudAroundTheLight) {
    const std::vector<Pixel> pixels = shadeAll(centreCloud());
    const Pixel& centre = pixels[8 * kWidth + 15];
    EXPECT_GT(centre.a, 0.9f);
    EXPECT_GT(centre.r, 0.0f);
    EXPECT_GT(centre.r, centre.b);   // the light is warm
    const Pixel& corner = pixels[0]; // outside the bound sphere: transparent black
    EXPECT_EQ(corner.r, 0.0f);
    EXPECT_EQ(corner.g, 0.0f);
    EXPECT_EQ(corner.b, 0.0f);
    EXPECT_EQ(corner.a, 0.0f);
    for (const Pixel& p : pixels) {
        ASSERT_GE(p.a, 0.0f);
        ASSERT_LE(p.a, 1.0f);
        ASSERT_GE(p.r, 0.0f);
        ASSERT_TRUE(std::isfinite(p.r) && std::isfinite(p.g) && std::isfinite(p.b));
    }
}

TEST(ShadePixel, TransparentWhenNothingCanBeSeen) {
    RenderSettings noDensity = centreCloud();
    noDensity.density = 0.0f;
    RenderSettings noLights = defaultRenderSettings(kWidth, kHeight);
    RenderSettings lookingAway = centreCloud(); // a camera past the cloud, facing away from it
    lookingAway.camera = {true, {kCx, kCy, 200}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 100.0f};
    for (const RenderSettings* s : {&noDensity, &noLights, &lookingAway}) {
        for (const Pixel& p : shadeAll(*s)) {
            ASSERT_EQ(p.a, 0.0f);
            ASSERT_EQ(p.r, 0.0f);
            ASSERT_EQ(p.g, 0.0f);
            ASSERT_EQ(p.b, 0.0f);
        }
    }
}

TEST(ShadePixel, BrightnessScalesColourNotAlpha) {
    RenderSettings s = centreCloud();
    const std::vector<Pixel> normal = shadeAll(s);
    s.brightness = 0.0f;
    const std::vector<Pixel> dark = shadeAll(s);
    s.brightness = 4.0f;
    const std::vector<Pixel> bright = shadeAll(s);
    bool aboveOne = false;
    for (std::size_t i = 0; i < normal.size(); ++i) {
        EXPECT_EQ(dark[i].a, normal[i].a);
        EXPECT_EQ(dark[i].r, 0.0f);
        EXPECT_EQ(bright[i].a, normal[i].a);
        EXPECT_NEAR(bright[i].r, 4.0f * normal[i].r, 1e-5f);
        if (bright[i].r > 1.0f) aboveOne = true;
    }
    EXPECT_TRUE(aboveOne) << "bright output must reach the caller unclamped";
}

TEST(ShadePixel, LightRatioCappedAtFour) {
    // Strong sun and ambient: the light per unit of coverage exceeds 1 (colour above alpha) but
    // is capped at 4 times the encoded colour.
    RenderSettings s = centreCloud();
    s.sunIntensity = 4.0f;
    s.ambient = 2.0f;
    bool aboveAlpha = false;
    for (const Pixel& p : shadeAll(s)) {
        ASSERT_LE(p.r, 4.0f * p.a * 1.00001f);
        if (p.r > 2.0f * p.a) aboveAlpha = true;
    }
    EXPECT_TRUE(aboveAlpha);
}

TEST(ShadePixel, AmbientLightAloneEqualsCoverage) {
    // No sun and ambient 100 %: each step adds its absorbed share (1 - Ts) T, which sums to the
    // coverage 1 - T, so the light ratio is 1 and a white cloud's colour equals its alpha.
    RenderSettings s = centreCloud();
    s.emitters[0].color[1] = s.emitters[0].color[2] = 1.0f;
    s.textureStrength = 0.0f;
    s.sunIntensity = 0.0f;
    s.ambient = 1.0f;
    int covered = 0;
    for (const Pixel& p : shadeAll(s)) {
        ASSERT_NEAR(p.r, p.a, 1e-4f);
        ASSERT_NEAR(p.b, p.a, 1e-4f);
        if (p.a > 0.5f) ++covered;
    }
    EXPECT_GT(covered, 10);
}

TEST(ShadePixel, CloudBehindColoursAsMuchAsCloudInFront) {
    // The optical lengths are not weighted by transmittance: moving the red cloud from in front
    // of the blue one to behind it keeps the colour mix (up to the sampling of the two clouds).
    RenderSettings s = defaultRenderSettings(kWidth, kHeight);
    s.density = 1.0f;
    s.textureStrength = 0.0f;
    addEmitter(s, kCx, kCy, -6, 1, 0, 0);
    addEmitter(s, kCx, kCy, 6, 0, 0, 1);
    float r1, g1, b1, a1, r2, g2, b2, a2;
    shadePixel(15, 8, s, prepareFrame(s), r1, g1, b1, a1);
    s.emitters[0].position[2] = 6;
    s.emitters[1].position[2] = -6;
    shadePixel(15, 8, s, prepareFrame(s), r2, g2, b2, a2);
    ASSERT_GT(a1, 0.5f);
    ASSERT_LT(a1, 0.997f); // the march ran through both clouds
    const float ratio = (r1 / b1) / (r2 / b2);
    EXPECT_GT(ratio, 0.8f);
    EXPECT_LT(ratio, 1.25f);
}

TEST(ShadePixel, MarchStopsInsideAnOpaqueFrontCloud) {
    // A dense red cloud in front of a blue one on the same line of sight: the march ends inside
    // the red cloud, so the blue cloud behind it adds no colour.
    RenderSettings s = defaultRenderSettings(kWidth, kHeight);
    s.density = 10.0f;
    s.textureStrength = 0.0f;
    addEmitter(s, kCx, kCy, -20, 1, 0, 0);
    addEmitter(s, kCx, kCy, 20, 0, 0, 1);
    const PreparedFrame prepared = prepareFrame(s);
    float r, g, b, a;
    shadePixel(15, 8, s, prepared, r, g, b, a);
    ASSERT_GT(a, 0.99f);
    EXPECT_GT(r, 0.05f);
    EXPECT_LT(b, 1e-4f);
}

TEST(ShadePixel, SelfShadowOnlyDarkens) {
    RenderSettings s = centreCloud();
    s.selfShadow = 0.0f;
    const std::vector<Pixel> unshadowed = shadeAll(s);
    s.selfShadow = 2.0f;
    const std::vector<Pixel> shadowed = shadeAll(s);
    bool darker = false;
    for (std::size_t i = 0; i < shadowed.size(); ++i) {
        EXPECT_EQ(shadowed[i].a, unshadowed[i].a); // shadows change light, not coverage
        EXPECT_LE(shadowed[i].r, unshadowed[i].r * 1.00001f);
        if (shadowed[i].r < unshadowed[i].r * 0.9f) darker = true;
    }
    EXPECT_TRUE(darker);
}

} // namespace
} // namespace nebulastra
