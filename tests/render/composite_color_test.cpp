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
using testing::handFrame;
using testing::plainShapeSettings;

struct Rgb {
    float r, g, b;
};

// Settings with one emitter per colour (linear values: the hand-built frame copies them as given).
RenderSettings emitters(std::initializer_list<Rgb> colours) {
    RenderSettings s = plainShapeSettings();
    for (const Rgb& c : colours) addEmitter(s, 0, 0, 0, c.r, c.g, c.b);
    return s;
}

Rgb blend(int32_t mode, RenderSettings s, const float E[kMaxEmitters]) {
    s.overlapBlend = static_cast<BlendMode>(mode);
    float rgb[3];
    blendEmitterColors(E, handFrame(s, 10), rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

Rgb composite(const RenderSettings& s, const float E[kMaxEmitters], const float centroid[3]) {
    Rgb out{-1, -1, -1};
    const CloudField f = handFrame(s, 10);
    compositeEmitterColor(E, f, sampleTexture(centroid, f), out.r, out.g, out.b);
    return out;
}

void expectRgb(const Rgb& got, float r, float g, float b, float tolerance = 1e-6f) {
    EXPECT_NEAR(got.r, r, tolerance);
    EXPECT_NEAR(got.g, g, tolerance);
    EXPECT_NEAR(got.b, b, tolerance);
}

TEST(BlendEmitters, EachModeWeighsTheCloudsByOpticalLength) {
    // Red, blue and green; green was barely met (not above 1e-6) and is left out, blue is three
    // times as strong as red.
    const RenderSettings s = emitters({{1, 0, 0}, {0, 0, 1}, {0, 1, 0}});
    const float E[kMaxEmitters] = {0.1f, 0.3f, 1e-6f};
    const struct {
        int32_t mode;
        Rgb want;
    } cases[] = {
        {0, {0.25f, 0, 0.75f}},   // Average: w / Sw
        {1, {1.0f / 3.0f, 0, 1}}, // Add: n = w / Mw
        {2, {1.0f / 3.0f, 0, 1}}, // Screen
        {3, {1.0f / 3.0f, 0, 1}}, // Lighten
        {4, {0, 0, 2.0f / 3.0f}}, // Darken: products of 1 - (1 - c) n
        {9, {0.25f, 0, 0.75f}},   // unknown modes average
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        expectRgb(blend(c.mode, s, E), c.want.r, c.want.g, c.want.b);
    }
    // One emitter keeps its colour in every mode.
    const float one[kMaxEmitters] = {0.02f};
    for (int32_t mode = 0; mode <= 4; ++mode)
        expectRgb(blend(mode, emitters({{0.2f, 0.6f, 0.9f}}), one), 0.2f, 0.6f, 0.9f);
    // Add is not clamped; Screen saturates at 1.
    const float both[kMaxEmitters] = {0.5f, 0.5f};
    const RenderSettings greys = emitters({{0.8f, 0.8f, 0.8f}, {0.6f, 0.6f, 0.6f}});
    EXPECT_NEAR(blend(1, greys, both).r, 1.4f, 1e-6f);
    EXPECT_NEAR(blend(2, greys, both).r, 1.0f - 0.2f * 0.4f, 1e-6f);
    // An over-bright light (host colours are not clamped) counts as full in Screen, never above.
    EXPECT_EQ(blend(2, emitters({{1.5f, 1.5f, 1.5f}, {0.5f, 0.5f, 0.5f}}), both).r, 1.0f);
}

TEST(CompositeEmitterColor, WithoutTextureOnlyEncodes) {
    const float E[kMaxEmitters] = {0.5f};
    const float centroid[3] = {0, 0, 0};
    expectRgb(composite(emitters({{0.2f, 0.5f, 0.05f}}), E, centroid), encodeSrgb(0.2f), encodeSrgb(0.5f),
              encodeSrgb(0.05f), 2e-6f);

    // Over-bright blends are pulled back to Oklab lightness 1 with their hue kept, before the
    // encoding clamps: "Add" of two pinks is a pink of lightness 1, not clipped to white.
    RenderSettings bright = emitters({{1, 0.5f, 0.5f}, {1, 0.5f, 0.5f}});
    bright.overlapBlend = BlendMode::Add;
    const float both[kMaxEmitters] = {0.5f, 0.5f};
    const Rgb pink = composite(bright, both, centroid);
    EXPECT_NEAR(pink.r, 1.0f, 2e-3f);
    EXPECT_NEAR(pink.g, pink.b, 2e-3f);
    EXPECT_LT(pink.g, 0.95f);
    EXPECT_GT(pink.g, encodeSrgb(0.5f));
}

TEST(CompositeEmitterColor, SaturationAroundLuma) {
    RenderSettings s = emitters({{0.9f, 0.3f, 0.02f}});
    const float E[kMaxEmitters] = {0.5f};
    const float centroid[3] = {0, 0, 0};
    const Rgb plain = composite(s, E, centroid);
    const float luma = 0.2126f * plain.r + 0.7152f * plain.g + 0.0722f * plain.b;
    s.saturation = 0.0f; // grey at the encoded luma
    expectRgb(composite(s, E, centroid), luma, luma, luma);
    s.saturation = 2.0f; // pushed away from luma, floored at 0 but not clamped above
    const Rgb vivid = composite(s, E, centroid);
    EXPECT_GT(vivid.r, 1.0f);
    EXPECT_LT(vivid.g, plain.g);
    EXPECT_EQ(vivid.b, 0.0f);
}

} // namespace
} // namespace nebulastra
