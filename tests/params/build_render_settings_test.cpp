#include "params/build_render_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "params/default_params.h"
#include "params/param_conversions.h"

namespace nebulastra {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One frame's inputs: parameters at their defaults, a 1920 x 1080 layer at full resolution,
// time 0 of a 24 fps comp.
struct Frame {
    test::DefaultParams params;
    PF_InData in_data{};
    PF_EffectWorld output{};

    Frame() {
        setSize(1920, 1080);
        in_data.height = 1080;
        in_data.downsample_x = in_data.downsample_y = {1, 1};
        in_data.time_step = 1, in_data.time_scale = 24;
    }
    void setSize(int32_t width, int32_t height) { output.width = width, output.height = height; }
    double& slider(ParamIndex i) { return params[i].u.fs_d.value; }
    RenderSettings build() { return buildRenderSettings(params.params(), &output, &in_data); }
};

// Output and full-resolution size, as "WxH of WxH".
std::string sizes(const RenderSettings& s) {
    return std::to_string(s.outputWidth) + "x" + std::to_string(s.outputHeight) + " of " +
           std::to_string(s.fullWidth) + "x" + std::to_string(s.fullHeight);
}

// Every parameter at a value of its own, so a setting read from the wrong parameter, even one with
// the same default, shows (integer sliders and popups are told apart by their limits below).
// Percentages are scaled in double and rounded once: 33.3 % is 0.333f, where float arithmetic
// would give 0.33299997f (and 0.12339999f for 12.34 %); other sliders are just rounded to float.
TEST(BuildRenderSettings, EachSettingComesFromItsOwnParameter) {
    using S = RenderSettings;
    const struct {
        ParamIndex index;
        double value;
        float S::*field;
        float expected;
    } floats[] = {
        // clang-format off
        {kParamDensity, 33.3, &S::density, 0.333f},              {kParamBrightness, 50, &S::brightness, 0.5f},
        {kParamSaturation, 12.34, &S::saturation, 0.1234f},        {kParamFlattenBase, 12.5, &S::flattenBase, 0.125f},
        {kParamTower, 37.5, &S::tower, 0.375f},               {kParamBillow, 62.5, &S::billow, 0.625f},
        {kParamEdgeHardness, 87.5, &S::edgeHardness, 0.875f}, {kParamEdgeErosion, 6.25, &S::edgeErosion, 0.0625f},
        {kParamDomainWarp, 18.75, &S::domainWarp, 0.1875f},   {kParamSunIntensity, 125, &S::sunIntensity, 1.25f},
        {kParamAmbient, 150, &S::ambient, 1.5f},              {kParamSelfShadow, 175, &S::selfShadow, 1.75f},
        {kParamOpacityRandom, 0.7, &S::opacityRandom, 0.007f},
        {kParamTextureStrength, 15.625, &S::textureStrength, 0.15625f},
        {kParamTextureContrast, 106.25, &S::textureContrast, 1.0625f},
        {kParamEvolutionSpeed, 112.5, &S::evolutionSpeed, 1.125f},
        {kParamCloudSize, 25, &S::cloudSizePx, 270.0f}, // 25 % of the 1080-line layer
        {kParamEdgeSoftness, 4.5, &S::edgeSoftness, 4.5f},    {kParamBillowSize, 0.1, &S::billowSize, 0.1f},
        {kParamTextureScale, 8.5, &S::textureScale, 8.5f},
        // clang-format on
    };
    const struct {
        ParamIndex x; // then y and z
        float (S::*field)[3];
        double values[3];
        float expected[3];
    } triples[] = {
        {kParamScaleX, &S::scale, {200, 250, 275}, {2.0f, 2.5f, 2.75f}},
        {kParamScaleRandomX, &S::scaleRandom, {31.25, 43.75, 56.25}, {0.3125f, 0.4375f, 0.5625f}},
        {kParamRotationRandomX, &S::rotationRandom, {68.75, 81.25, 93.75}, {0.6875f, 0.8125f, 0.9375f}}};
    Frame frame;
    for (const auto& f : floats) frame.slider(f.index) = f.value;
    for (const auto& t : triples)
        for (int axis = 0; axis < 3; ++axis) frame.slider(ParamIndex(t.x + axis)) = t.values[axis];
    frame.slider(kParamBillowSeed) = 11;
    frame.slider(kParamRandomSeed) = 22;
    frame.slider(kParamTextureSeed) = 33;
    // Angles (16.16 fixed-point degrees) keep whole turns; the texture evolves half a degree; the sun
    // stands 30 degrees below the horizon at azimuth 0.
    const std::pair<ParamIndex, int32_t> fixedDegrees[] = {
        // clang-format off
        {kParamRotateX, 450 * 65536}, {kParamRotateY, -90 * 65536}, {kParamRotateZ, 120 * 65536},
        {kParamWorldEvolution, 32000 * 65536}, {kParamBillowEvolution, 270 * 65536},
        {kParamTextureEvolution, 32768}, {kParamSunAzimuth, 0}, {kParamSunElevation, -30 * 65536},
        // clang-format on
    };
    for (const auto& [index, value] : fixedDegrees) frame.params[index].u.ad.value = value;
    frame.params[kParamEmitters].u.bd.value = 1;
    const RenderSettings s = frame.build();

    for (const auto& f : floats) EXPECT_EQ(s.*f.field, f.expected) << "parameter " << f.index;
    for (const auto& t : triples)
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_EQ((s.*t.field)[axis], t.expected[axis]) << "parameter " << t.x + axis;
    EXPECT_EQ(std::vector<int32_t>({s.billowSeed, s.randomSeed, s.textureSeed}),
              std::vector<int32_t>({11, 22, 33}));
    const float radians[] = {s.rotation[0],    s.rotation[1],     s.rotation[2],
                             s.worldEvolution, s.billowEvolution, s.textureEvolution};
    const float expected[] = {7.853982f, -1.5707964f, 2.0943951f, 558.50543f, 4.712389f, 0.0087266462f};
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(radians[i], expected[i]) << "angle " << i;
    // 2.6631614e-7 is single-precision pi / 180 / 65536, bits 0x348EFA36.
    uint32_t bits = 0;
    std::memcpy(&bits, &kFixedDegreesToRadians, sizeof bits);
    EXPECT_EQ(bits, 0x348EFA36u);
    // A sun below the horizon points down (+y); azimuth 0 looks along +z.
    EXPECT_NEAR(s.sunDirection[0], 0.0f, 1e-7f);
    EXPECT_NEAR(s.sunDirection[1], 0.5f, 1e-6f);
    EXPECT_NEAR(s.sunDirection[2], 0.8660254f, 1e-6f);
    EXPECT_TRUE(s.cloudPrefixOnly);
    EXPECT_EQ(s.phaseAnisotropy, 0.45f); // fixed by the effect
    EXPECT_EQ(s.intensitySizeWeight, 1.0f);
    EXPECT_EQ(s.emitterCount, 0); // left for scene capture
    EXPECT_FALSE(s.camera.valid);
}

TEST(BuildRenderSettings, FullResolutionSizeUnderDownsampling) {
    // Half resolution: a 960 x 540 output of a 1080-line layer; the cloud size follows in_data's
    // height, not the output's: 1080 * (30 * 0.01f) in single precision, not 324.
    Frame frame;
    frame.setSize(960, 540);
    frame.in_data.downsample_x = frame.in_data.downsample_y = {1, 2};
    RenderSettings s = frame.build();
    EXPECT_EQ(sizes(s), "960x540 of 1920x1080");
    EXPECT_EQ(s.cloudSizePx, 323.99997f);

    // Without a layer height the full-resolution height stands in.
    frame.in_data.height = 0, frame.in_data.downsample_y = {1, 3};
    frame.setSize(960, 100);
    s = frame.build();
    EXPECT_EQ(s.fullHeight, 300);
    EXPECT_EQ(s.cloudSizePx, 89.99999f); // 300 * 0.29999998f

    // A numerator of 0 counts as 1/1: the full size is the output size.
    frame.in_data.downsample_x = {0, 2}, frame.in_data.downsample_y = {0, 4};
    frame.setSize(640, 360);
    EXPECT_EQ(sizes(frame.build()), "640x360 of 640x360");

    EXPECT_EQ(fullResolutionSize(333, {2, 3}), 500); // 499.5 rounded to nearest
    // A result below 1 falls back to the size itself, or 1 for an empty output.
    EXPECT_EQ(fullResolutionSize(7, {1, 0}), 7);
    EXPECT_EQ(fullResolutionSize(0, {1, 1}), 1);
    EXPECT_EQ(fullResolutionSize(-5, {1, 1}), 1);
}

// The other way round: the whole layer at the current downsample, a partly covered last pixel
// included, and back to full resolution again for the view rays.
TEST(BuildRenderSettings, LayerSizeAtTheDownsample) {
    const struct {
        int32_t size;
        PF_RationalScale downsample;
        int32_t expected;
    } cases[] = {{1081, {1, 2}, 541}, {25, {2, 3}, 17},
                 {25, {0, 2}, 25},    {25, {1, 0}, 25},
                 {0, {1, 2}, 0},      {30000, {100000, 1}, 2147483647}}; // clamped, not wrapped
    for (const auto& c : cases) EXPECT_EQ(downsampledSize(c.size, c.downsample), c.expected) << c.size;

    Frame frame;
    frame.in_data.width = 1001, frame.in_data.height = 563;
    frame.in_data.downsample_x = {1, 4}, frame.in_data.downsample_y = {1, 3};
    const LayerSize layer = downsampledLayerSize(&frame.in_data);
    EXPECT_EQ(std::make_pair(layer.width, layer.height), std::make_pair(251, 188));
    const RenderSettings s =
        buildRenderSettings(frame.params.params(), layer.width, layer.height, &frame.in_data);
    EXPECT_EQ(sizes(s), "251x188 of 1004x564");
}

TEST(BuildRenderSettings, TimeInSecondsNeverNegative) {
    const struct {
        A_long time;
        A_u_long scale;
        float seconds;
    } cases[] = {{48, 24, 2.0f}, {1001, 24000, 0.041708332f}, {48, 0, 0.0f}, {-24, 24, 0.0f}};
    for (const auto& c : cases) {
        Frame frame;
        frame.in_data.current_time = c.time, frame.in_data.time_scale = c.scale;
        EXPECT_EQ(frame.build().timeSeconds, c.seconds) << c.time << "/" << c.scale;
    }
}

TEST(BuildRenderSettings, OutOfRangeValuesAreBroughtIntoRange) {
    Frame frame;
    frame.params[kParamQualitySteps].u.sd.value = 300;
    frame.params[kParamBillowMap].u.pd.value = 0;
    frame.params[kParamOverlapBlend].u.pd.value = 9;
    frame.params[kParamTextureType].u.pd.value = 4;
    frame.params[kParamBillowDetail].u.sd.value = 0;
    frame.slider(kParamScaleY) = 1.0; // 1 % renders as 2 %
    frame.slider(kParamScaleZ) = kNaN;
    RenderSettings s = frame.build();
    EXPECT_EQ(s.qualitySteps, 256);
    EXPECT_EQ(s.billowMap, NoiseShape::Smooth);
    EXPECT_EQ(s.overlapBlend, BlendMode::Darken);
    EXPECT_EQ(s.textureType, TextureType::Wisps);
    EXPECT_EQ(s.billowDetail, 1);
    EXPECT_EQ(s.scale[1], 0.02f);
    EXPECT_EQ(s.scale[2], 0.02f);

    frame.params[kParamQualitySteps].u.sd.value = 8;
    frame.params[kParamBillowMap].u.pd.value = 7;
    frame.params[kParamOverlapBlend].u.pd.value = std::numeric_limits<int32_t>::min();
    frame.params[kParamTextureType].u.pd.value = 3;
    frame.params[kParamBillowDetail].u.sd.value = 9;
    s = frame.build();
    EXPECT_EQ(s.qualitySteps, 16);
    EXPECT_EQ(s.billowMap, NoiseShape::Clumps);
    EXPECT_EQ(s.overlapBlend, BlendMode::Average);
    EXPECT_EQ(s.textureType, TextureType::Erosion);
    EXPECT_EQ(s.billowDetail, 6);

    // "Cloud Size" 1 on a 50-pixel layer: 0.5 px is raised to 1; so is a NaN size.
    frame.in_data.height = 50;
    frame.slider(kParamCloudSize) = 1.0;
    EXPECT_EQ(frame.build().cloudSizePx, 1.0f);
    frame.slider(kParamCloudSize) = kNaN;
    EXPECT_EQ(frame.build().cloudSizePx, 1.0f);
}

TEST(BuildRenderSettings, SeedsTruncateTowardZeroAndSaturate) {
    const struct {
        double value;
        int32_t seed;
    } cases[] = {
        // clang-format off
        {12.7, 12}, {-12.7, -12}, {9999.999, 9999}, {3.0e9, 2147483647}, {-3.0e9, -2147483647 - 1},
        {2147483647.0, 2147483647}, {kNaN, 0},
        // clang-format on
    };
    for (const auto& c : cases) {
        Frame frame;
        frame.slider(kParamRandomSeed) = c.value;
        EXPECT_EQ(frame.build().randomSeed, c.seed) << c.value;
    }
}

} // namespace
} // namespace nebulastra
