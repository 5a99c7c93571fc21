// Emitter colour compositing: the overlap blend in linear light, Oklab lightness shading, sRGB
// encoding and saturation.

#include <gtest/gtest.h>

#include <cmath>

#include "render/blend_emitters.h"
#include "render/color_space.h"
#include "render/composite_color.h"
#include "render/density_field.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

using testing::addEmitter;
using testing::handPreparedFrame;
using testing::plainShapeSettings;

struct Rgb {
    float r, g, b;
};

Rgb blend(int32_t mode, const RenderSettings& base, const PreparedFrame& f, const float E[kMaxEmitters]) {
    RenderSettings s = base;
    s.overlapBlend = static_cast<BlendMode>(mode);
    float rgb[3];
    blendEmitterColors(E, s, f, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

void expectRgb(const Rgb& got, float r, float g, float b, float tolerance = 1e-6f) {
    EXPECT_NEAR(got.r, r, tolerance);
    EXPECT_NEAR(got.g, g, tolerance);
    EXPECT_NEAR(got.b, b, tolerance);
}

TEST(BlendEmitters, RedAndBlueOfEqualWeight) {
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 0, 0, 0, 1, 0, 0);
    addEmitter(s, 0, 0, 0, 0, 0, 1);
    const PreparedFrame f = handPreparedFrame(s, 10);
    const float E[kMaxEmitters] = {0.3f, 0.3f};
    expectRgb(blend(0, s, f, E), 0.5f, 0, 0.5f); // Average
    expectRgb(blend(1, s, f, E), 1, 0, 1);       // Add
    expectRgb(blend(2, s, f, E), 1, 0, 1);       // Screen
    expectRgb(blend(3, s, f, E), 1, 0, 1);       // Lighten
    expectRgb(blend(4, s, f, E), 0, 0, 0);       // Darken
    expectRgb(blend(9, s, f, E), 0.5f, 0, 0.5f); // unknown modes average
}

TEST(BlendEmitters, WeightsFollowOpticalLength) {
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 0, 0, 0, 1, 0, 0);
    addEmitter(s, 0, 0, 0, 0, 0, 1);
    addEmitter(s, 0, 0, 0, 0, 1, 0);
    const PreparedFrame f = handPreparedFrame(s, 10);
    // Emitter 2 was barely met (not above 1e-6) and is left out; 1 is three times as strong as 0.
    const float E[kMaxEmitters] = {0.1f, 0.3f, 1e-6f};
    expectRgb(blend(0, s, f, E), 0.25f, 0, 0.75f);   // w / Sw
    expectRgb(blend(1, s, f, E), 1.0f / 3.0f, 0, 1); // n = w / Mw
    expectRgb(blend(2, s, f, E), 1.0f / 3.0f, 0, 1);
    expectRgb(blend(3, s, f, E), 1.0f / 3.0f, 0, 1);
    expectRgb(blend(4, s, f, E), 0, 0, 2.0f / 3.0f); // products of 1 - (1 - c) n

    // Add does not clamp; Screen saturates at 1.
    RenderSettings white = plainShapeSettings();
    addEmitter(white, 0, 0, 0, 0.8f, 0.8f, 0.8f);
    addEmitter(white, 0, 0, 0, 0.6f, 0.6f, 0.6f);
    const PreparedFrame wf = handPreparedFrame(white, 10);
    const float both[kMaxEmitters] = {0.5f, 0.5f};
    EXPECT_NEAR(blend(1, white, wf, both).r, 1.4f, 1e-6f);
    EXPECT_NEAR(blend(2, white, wf, both).r, 1.0f - 0.2f * 0.4f, 1e-6f);
    // An over-bright light (host colours are not clamped) counts as full in Screen, never above.
    RenderSettings hot = plainShapeSettings();
    addEmitter(hot, 0, 0, 0, 1.5f, 1.5f, 1.5f);
    addEmitter(hot, 0, 0, 0, 0.5f, 0.5f, 0.5f);
    EXPECT_EQ(blend(2, hot, handPreparedFrame(hot, 10), both).r, 1.0f);
}

TEST(BlendEmitters, OneEmitterKeepsItsColourInEveryMode) {
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 0, 0, 0, 0.2f, 0.6f, 0.9f);
    const PreparedFrame f = handPreparedFrame(s, 10);
    const float E[kMaxEmitters] = {0.02f};
    for (int32_t mode = 0; mode <= 4; ++mode) expectRgb(blend(mode, s, f, E), 0.2f, 0.6f, 0.9f);
}

TEST(BlendEmitters, NothingMetIsBlack) {
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 0, 0, 0, 1, 1, 1);
    const PreparedFrame f = handPreparedFrame(s, 10);
    const float E[kMaxEmitters] = {1e-6f, 5.0f}; // entry 1 lies beyond emitterCount
    float rgb[3] = {7, 7, 7};
    EXPECT_FALSE(blendEmitterColors(E, s, f, rgb));
    expectRgb({rgb[0], rgb[1], rgb[2]}, 0, 0, 0);
}

TEST(ColorSpace, OklabReferenceValues) {
    float lab[3];
    const float red[3] = {1, 0, 0};
    linearSrgbToOklab(red, lab);
    EXPECT_NEAR(lab[0], 0.6279554f, 2e-6f);
    EXPECT_NEAR(lab[1], 0.2248631f, 2e-6f);
    EXPECT_NEAR(lab[2], 0.1258463f, 2e-6f);
    const float white[3] = {1, 1, 1};
    linearSrgbToOklab(white, lab);
    EXPECT_NEAR(lab[0], 1.0f, 1e-6f);
    EXPECT_NEAR(lab[1], 0.0f, 1e-6f);
    EXPECT_NEAR(lab[2], 0.0f, 1e-6f);
    // And back.
    const float colour[3] = {0.2f, 0.5f, 0.05f};
    float rgb[3];
    linearSrgbToOklab(colour, lab);
    oklabToLinearSrgb(lab, rgb);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(rgb[c], colour[c], 2e-6f);
}

TEST(ColorSpace, SrgbEncoding) {
    EXPECT_EQ(encodeSrgb(0.0f), 0.0f);
    EXPECT_NEAR(encodeSrgb(0.0031308f), 0.04044994f, 1e-7f); // the linear segment's end
    EXPECT_NEAR(encodeSrgb(0.5f), 0.7353570f, 1e-6f);
    EXPECT_NEAR(encodeSrgb(1.0f), 1.0f, 1e-6f);
    EXPECT_NEAR(encodeSrgb(3.0f), 1.0f, 1e-6f); // clamped first
    EXPECT_EQ(encodeSrgb(-0.5f), 0.0f);
}

TEST(CompositeEmitterColor, WithoutTextureOnlyEncodes) {
    RenderSettings s = plainShapeSettings(); // texture strength 0, saturation 100 %
    addEmitter(s, 0, 0, 0, 0.2f, 0.5f, 0.05f);
    const PreparedFrame f = handPreparedFrame(s, 10);
    const float E[kMaxEmitters] = {0.5f};
    const float centroid[3] = {0, 0, 0};
    float r, g, b;
    compositeEmitterColor(E, s, f, centroid, r, g, b);
    EXPECT_NEAR(r, encodeSrgb(0.2f), 2e-6f);
    EXPECT_NEAR(g, encodeSrgb(0.5f), 2e-6f);
    EXPECT_NEAR(b, encodeSrgb(0.05f), 2e-6f);

    // Over-bright blends are pulled back to Oklab lightness 1 with their hue kept, before the
    // encoding clamps: "Add" of two pinks is a pink of lightness 1, not clipped to white.
    RenderSettings bright = plainShapeSettings();
    bright.overlapBlend = BlendMode::Add;
    addEmitter(bright, 0, 0, 0, 1, 0.5f, 0.5f);
    addEmitter(bright, 0, 0, 0, 1, 0.5f, 0.5f);
    const PreparedFrame bf = handPreparedFrame(bright, 10);
    const float both[kMaxEmitters] = {0.5f, 0.5f};
    compositeEmitterColor(both, bright, bf, centroid, r, g, b);
    EXPECT_NEAR(r, 1.0f, 2e-3f);
    EXPECT_NEAR(g, b, 2e-3f);
    EXPECT_LT(g, 0.95f);
    EXPECT_GT(g, encodeSrgb(0.5f));
}

TEST(CompositeEmitterColor, SaturationAroundLuma) {
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 0, 0, 0, 0.9f, 0.3f, 0.02f);
    const PreparedFrame f = handPreparedFrame(s, 10);
    const float E[kMaxEmitters] = {0.5f};
    const float centroid[3] = {0, 0, 0};
    float r1, g1, b1;
    compositeEmitterColor(E, s, f, centroid, r1, g1, b1);
    const float luma = 0.2126f * r1 + 0.7152f * g1 + 0.0722f * b1;

    s.saturation = 0.0f; // grey at the encoded luma
    float r, g, b;
    compositeEmitterColor(E, s, f, centroid, r, g, b);
    EXPECT_NEAR(r, luma, 1e-6f);
    EXPECT_NEAR(g, luma, 1e-6f);
    EXPECT_NEAR(b, luma, 1e-6f);

    s.saturation = 2.0f; // pushed away from luma, floored at 0 but not clamped above
    compositeEmitterColor(E, s, f, centroid, r, g, b);
    EXPECT_NEAR(r, luma + (r1 - luma) * 2.0f, 1e-6f);
    EXPECT_GT(r, 1.0f);
    EXPECT_EQ(b, 0.0f);
}

TEST(CompositeEmitterColor, TextureShadesLightnessOnly) {
    RenderSettings s = plainShapeSettings();
    addEmitter(s, 0, 0, 0, 0.4f, 0.4f, 0.4f);
    const PreparedFrame f = handPreparedFrame(s, 10);
    const float E[kMaxEmitters] = {0.5f};
    s.textureStrength = 1.0f;
    s.textureContrast = 1.0f;
    int darker = 0;
    for (int i = 0; i < 20; ++i) {
        const float centroid[3] = {static_cast<float>(i) * 3.7f, 1.0f, -2.0f};
        float r, g, b;
        compositeEmitterColor(E, s, f, centroid, r, g, b);
        // A grey stays grey (a and b untouched), and its Oklab lightness (the cube root of a
        // grey's linear value) is never lifted by more than 0.016 nor darkened below 0.55 of it.
        EXPECT_NEAR(r, g, 1e-5f);
        EXPECT_NEAR(b, g, 1e-5f);
        const float lightness = std::cbrt(decodeSrgb(g));
        EXPECT_LE(lightness, std::cbrt(0.4f) + 0.016f + 1e-4f);
        EXPECT_GE(lightness, 0.55f * std::cbrt(0.4f) - 1e-4f);
        if (g < encodeSrgb(0.4f) - 1e-4f) ++darker;
    }
    EXPECT_GT(darker, 0);
}

TEST(CompositeEmitterColor, NoEmitterMetStaysBlackWhateverTheShading) {
    RenderSettings s = plainShapeSettings();
    s.textureStrength = 1.0f;
    s.saturation = 0.5f;
    addEmitter(s, 0, 0, 0, 1, 1, 1);
    const PreparedFrame f = handPreparedFrame(s, 10);
    const float E[kMaxEmitters] = {0.0f};
    const float centroid[3] = {0, 0, 0};
    float r = 1, g = 1, b = 1;
    compositeEmitterColor(E, s, f, centroid, r, g, b);
    EXPECT_EQ(r, 0.0f);
    EXPECT_EQ(g, 0.0f);
    EXPECT_EQ(b, 0.0f);
}

} // namespace
} // namespace nebulastra
