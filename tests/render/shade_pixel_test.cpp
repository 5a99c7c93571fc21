// The per-pixel kernel's rules on small frames at the effect's defaults: one light at the centre of
// a 32 x 18 layer, seen by a camera in front of it: the controls the reference frames leave at their
// defaults, and the march's end. (What it draws is pinned by the reference frames.)

#include <gtest/gtest.h>

#include <vector>

#include "render/prepared_frame.h"
#include "render/shade_pixel.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

constexpr int32_t kWidth = 32, kHeight = 18;
constexpr float kCx = 16.0f, kCy = 9.0f; // the layer's centre

RenderSettings centreCloud() {
    RenderSettings s = testing::defaultRenderSettings(kWidth, kHeight);
    testing::setFrontCamera(s, 60.0f);
    testing::addEmitter(s, kCx, kCy, 0, 1.0f, 0.8f, 0.6f);
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

} // namespace
} // namespace nebulastra
