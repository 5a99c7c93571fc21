#include "params/build_render_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "params/default_params.h"
#include "params/param_conversions.h"

namespace nebulastra {
namespace {

// One frame's inputs: parameters at their defaults, a 1920 x 1080 layer at full resolution,
// time 0 of a 24 fps comp.
struct Frame {
    test::DefaultParams params;
    PF_InData in_data;
    PF_EffectWorld output;

    Frame() {
        std::memset(&in_data, 0, sizeof in_data);
        std::memset(&output, 0, sizeof output);
        setSize(1920, 1080);
        in_data.height = 1080;
        in_data.downsample_x = {1, 1};
        in_data.downsample_y = {1, 1};
        in_data.current_time = 0;
        in_data.time_step = 1;
        in_data.time_scale = 24;
    }
    void setSize(int32_t width, int32_t height) {
        output.width = width;
        output.height = height;
    }
    RenderSettings build() { return buildRenderSettings(params.params(), &output, &in_data); }
};

TEST(BuildRenderSettings, DefaultsOfAFullHdFrame) {
    Frame frame;
    const RenderSettings s = frame.build();

    EXPECT_EQ(s.qualitySteps, 64);
    EXPECT_EQ(s.density, 2.0f);
    EXPECT_EQ(s.brightness, 1.0f);
    EXPECT_EQ(s.cloudSizePx, 323.99997f); // 1080 * (30 * 0.01f) in single precision, not 324
    EXPECT_NE(s.cloudSizePx, 324.0f);
    EXPECT_EQ(s.edgeSoftness, 2.0f);
    EXPECT_NEAR(s.sunDirection[0], 0.5f, 1e-6f);
    EXPECT_NEAR(s.sunDirection[1], -0.70710677f, 1e-6f);
    EXPECT_NEAR(s.sunDirection[2], 0.5f, 1e-6f);
    EXPECT_EQ(s.sunIntensity, 1.3f);
    EXPECT_EQ(s.ambient, 0.35f);
    EXPECT_EQ(s.phaseAnisotropy, 0.45f);
    EXPECT_EQ(s.selfShadow, 1.0f);
    EXPECT_EQ(s.flattenBase, 0.5f);
    EXPECT_EQ(s.tower, 0.35f);
    EXPECT_EQ(s.edgeErosion, 0.4f);
    EXPECT_EQ(s.domainWarp, 0.3f);
    EXPECT_EQ(s.edgeHardness, 0.5f);
    EXPECT_EQ(s.billowMap, NoiseShape::Smooth);
    EXPECT_EQ(s.billow, 0.6f);
    EXPECT_EQ(s.billowSize, 3.0f);
    EXPECT_EQ(s.billowDetail, 4);
    EXPECT_EQ(s.billowEvolution, 0.0f);
    EXPECT_EQ(s.billowSeed, 0);
    EXPECT_EQ(s.worldEvolution, 0.0f);
    EXPECT_EQ(s.evolutionSpeed, 0.3f);
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(s.scale[axis], 1.0f) << axis;
        EXPECT_EQ(s.rotation[axis], 0.0f) << axis;
        EXPECT_EQ(s.scaleRandom[axis], 0.0f) << axis;
        EXPECT_EQ(s.rotationRandom[axis], 0.0f) << axis;
    }
    EXPECT_EQ(s.opacityRandom, 0.0f);
    EXPECT_EQ(s.randomSeed, 0);
    EXPECT_EQ(s.intensitySizeWeight, 1.0f);
    EXPECT_EQ(s.saturation, 1.0f);
    EXPECT_EQ(s.overlapBlend, BlendMode::Average);
    EXPECT_FALSE(s.cloudPrefixOnly);
    EXPECT_EQ(s.textureType, TextureType::Wisps);
    EXPECT_EQ(s.textureStrength, 0.3f);
    EXPECT_EQ(s.textureScale, 6.0f);
    EXPECT_EQ(s.textureContrast, 1.0f);
    EXPECT_EQ(s.textureEvolution, 0.0f);
    EXPECT_EQ(s.textureSeed, 0);
    EXPECT_EQ(s.timeSeconds, 0.0f);
    EXPECT_EQ(s.outputWidth, 1920);
    EXPECT_EQ(s.outputHeight, 1080);
    EXPECT_EQ(s.fullWidth, 1920);
    EXPECT_EQ(s.fullHeight, 1080);
    // Left for scene capture: no emitters, no camera.
    EXPECT_EQ(s.emitterCount, 0);
    EXPECT_FALSE(s.camera.valid);
}

TEST(BuildRenderSettings, FullResolutionSizeUnderDownsampling) {
    Frame frame;
    // Half resolution: a 960 x 540 output of a 1080-line layer.
    frame.setSize(960, 540);
    frame.in_data.downsample_x = {1, 2};
    frame.in_data.downsample_y = {1, 2};
    RenderSettings s = frame.build();
    EXPECT_EQ(s.outputWidth, 960);
    EXPECT_EQ(s.outputHeight, 540);
    EXPECT_EQ(s.fullWidth, 1920);
    EXPECT_EQ(s.fullHeight, 1080);
    EXPECT_EQ(s.cloudSizePx, 323.99997f); // follows in_data's height, not the output's

    // Without a layer height the full-resolution height stands in.
    frame.in_data.height = 0;
    frame.in_data.downsample_y = {1, 3};
    frame.setSize(960, 100);
    s = frame.build();
    EXPECT_EQ(s.fullHeight, 300);
    EXPECT_EQ(s.cloudSizePx, 89.99999f); // 300 * 0.29999998f

    // A numerator of 0 counts as 1/1: the full size is the output size.
    frame.in_data.downsample_x = {0, 2};
    frame.in_data.downsample_y = {0, 4};
    frame.setSize(640, 360);
    s = frame.build();
    EXPECT_EQ(s.fullWidth, 640);
    EXPECT_EQ(s.fullHeight, 360);

    // Rounded to nearest: 333 * 3 / 2 = 499.5 -> 500.
    EXPECT_EQ(fullResolutionSize(333, {2, 3}), 500);
    // A result below 1 falls back to the size itself, or 1 for an empty output.
    EXPECT_EQ(fullResolutionSize(7, {1, 0}), 7);
    EXPECT_EQ(fullResolutionSize(0, {1, 1}), 1);
    EXPECT_EQ(fullResolutionSize(-5, {1, 1}), 1);
}

// The other way round: the whole layer at the current downsample, a partly covered last pixel
// included, and back to full resolution again for the view rays.
TEST(BuildRenderSettings, LayerSizeAtTheDownsample) {
    EXPECT_EQ(downsampledSize(1920, {1, 2}), 960);
    EXPECT_EQ(downsampledSize(1081, {1, 2}), 541);
    EXPECT_EQ(downsampledSize(25, {1, 3}), 9);
    EXPECT_EQ(downsampledSize(25, {2, 3}), 17); // 16.67
    EXPECT_EQ(downsampledSize(25, {0, 2}), 25); // numerator 0: full resolution
    EXPECT_EQ(downsampledSize(25, {1, 0}), 25);
    EXPECT_EQ(downsampledSize(0, {1, 2}), 0);
    EXPECT_EQ(downsampledSize(30000, {100000, 1}), 2147483647); // clamped, not wrapped

    Frame frame;
    frame.in_data.width = 1001;
    frame.in_data.height = 563;
    frame.in_data.downsample_x = {1, 4};
    frame.in_data.downsample_y = {1, 3};
    const LayerSize layer = downsampledLayerSize(&frame.in_data);
    EXPECT_EQ(layer.width, 251);
    EXPECT_EQ(layer.height, 188);
    // The snapshot for that layer: the rays span it, and it maps back to about the full size.
    const RenderSettings s =
        buildRenderSettings(frame.params.params(), layer.width, layer.height, &frame.in_data);
    EXPECT_EQ(s.outputWidth, 251);
    EXPECT_EQ(s.outputHeight, 188);
    EXPECT_EQ(s.fullWidth, 1004);
    EXPECT_EQ(s.fullHeight, 564);
}

TEST(BuildRenderSettings, TimeInSeconds) {
    Frame frame;
    frame.in_data.current_time = 48;
    frame.in_data.time_scale = 24;
    EXPECT_EQ(frame.build().timeSeconds, 2.0f);

    frame.in_data.current_time = 1001;
    frame.in_data.time_scale = 24000;
    EXPECT_EQ(frame.build().timeSeconds, 1001.0f / 24000.0f);

    frame.in_data.current_time = 48;
    frame.in_data.time_scale = 0;
    EXPECT_EQ(frame.build().timeSeconds, 0.0f);

    frame.in_data.current_time = -24;
    frame.in_data.time_scale = 24;
    EXPECT_EQ(frame.build().timeSeconds, 0.0f);
}

TEST(BuildRenderSettings, OutOfRangeValuesAreBroughtIntoRange) {
    Frame frame;
    frame.params[kParamQualitySteps].u.sd.value = 300;
    frame.params[kParamBillowMap].u.pd.value = 0;
    frame.params[kParamOverlapBlend].u.pd.value = 9;
    frame.params[kParamTextureType].u.pd.value = 4;
    frame.params[kParamBillowDetail].u.sd.value = 0;
    frame.params[kParamScaleY].u.fs_d.value = 1.0; // 1 % renders as 2 %
    frame.params[kParamScaleZ].u.fs_d.value = std::numeric_limits<double>::quiet_NaN();
    frame.params[kParamEmitters].u.bd.value = 1;
    RenderSettings s = frame.build();
    EXPECT_EQ(s.qualitySteps, 256);
    EXPECT_EQ(s.billowMap, NoiseShape::Smooth);
    EXPECT_EQ(s.overlapBlend, BlendMode::Darken);
    EXPECT_EQ(s.textureType, TextureType::Wisps);
    EXPECT_EQ(s.billowDetail, 1);
    EXPECT_EQ(s.scale[0], 1.0f);
    EXPECT_EQ(s.scale[1], 0.02f);
    EXPECT_EQ(s.scale[2], 0.02f);
    EXPECT_TRUE(s.cloudPrefixOnly);

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
    frame.params[kParamCloudSize].u.fs_d.value = 1.0;
    EXPECT_EQ(frame.build().cloudSizePx, 1.0f);
    frame.params[kParamCloudSize].u.fs_d.value = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(frame.build().cloudSizePx, 1.0f);
}

TEST(BuildRenderSettings, AnglesKeepWholeTurns) {
    // 2.6631614e-7 is single-precision pi / 180 / 65536, bits 0x348EFA36.
    uint32_t bits = 0;
    std::memcpy(&bits, &kFixedDegreesToRadians, sizeof bits);
    EXPECT_EQ(bits, 0x348EFA36u);

    Frame frame;
    frame.params[kParamRotateX].u.ad.value = 450 * 65536;
    frame.params[kParamRotateY].u.ad.value = -90 * 65536;
    frame.params[kParamRotateZ].u.ad.value = 765 * 65536;
    frame.params[kParamWorldEvolution].u.ad.value = 32000 * 65536; // almost 89 turns
    frame.params[kParamBillowEvolution].u.ad.value = 45 * 65536;
    frame.params[kParamTextureEvolution].u.ad.value = 32768; // half a degree
    frame.params[kParamSunElevation].u.ad.value = -30 * 65536;
    frame.params[kParamSunAzimuth].u.ad.value = 0;
    const RenderSettings s = frame.build();
    EXPECT_FLOAT_EQ(s.rotation[0], 7.853982f); // not 1.570796
    EXPECT_FLOAT_EQ(s.rotation[1], -1.5707964f);
    EXPECT_FLOAT_EQ(s.rotation[2], 13.351770f);
    EXPECT_FLOAT_EQ(s.worldEvolution, 558.50543f);
    EXPECT_FLOAT_EQ(s.billowEvolution, 0.7853982f);
    EXPECT_FLOAT_EQ(s.textureEvolution, 0.0087266462f);
    // A sun below the horizon points down (+y); azimuth 0 looks along +z.
    EXPECT_NEAR(s.sunDirection[0], 0.0f, 1e-7f);
    EXPECT_NEAR(s.sunDirection[1], 0.5f, 1e-6f);
    EXPECT_NEAR(s.sunDirection[2], 0.8660254f, 1e-6f);
}

TEST(BuildRenderSettings, SeedsTruncateTowardZeroAndSaturate) {
    Frame frame;
    frame.params[kParamBillowSeed].u.fs_d.value = 12.7;
    frame.params[kParamRandomSeed].u.fs_d.value = 3.0e9;
    frame.params[kParamTextureSeed].u.fs_d.value = -3.0e9;
    RenderSettings s = frame.build();
    EXPECT_EQ(s.billowSeed, 12);
    EXPECT_EQ(s.randomSeed, 2147483647);
    EXPECT_EQ(s.textureSeed, -2147483647 - 1);

    frame.params[kParamBillowSeed].u.fs_d.value = -12.7;
    frame.params[kParamRandomSeed].u.fs_d.value = std::numeric_limits<double>::quiet_NaN();
    frame.params[kParamTextureSeed].u.fs_d.value = 9999.999;
    s = frame.build();
    EXPECT_EQ(s.billowSeed, -12);
    EXPECT_EQ(s.randomSeed, 0);
    EXPECT_EQ(s.textureSeed, 9999);
}

TEST(BuildRenderSettings, PercentagesRoundOnceFromDouble) {
    // 33.3 * 0.01 in double, then to float, is 0.333f; in float arithmetic it would be
    // 0.33299997f. Likewise 12.34 % -> 0.1234f, not 0.12339999f.
    Frame frame;
    frame.params[kParamDensity].u.fs_d.value = 33.3;
    frame.params[kParamSaturation].u.fs_d.value = 12.34;
    frame.params[kParamOpacityRandom].u.fs_d.value = 0.7;
    frame.params[kParamBillowSize].u.fs_d.value = 0.1; // as entered: just rounded to float
    frame.params[kParamScaleY].u.fs_d.value = 150.0;   // each axis from its own slider
    frame.params[kParamScaleZ].u.fs_d.value = 250.0;
    const RenderSettings s = frame.build();
    EXPECT_EQ(s.scale[0], 1.0f);
    EXPECT_EQ(s.scale[1], 1.5f);
    EXPECT_EQ(s.scale[2], 2.5f);
    EXPECT_EQ(s.density, 0.333f);
    EXPECT_EQ(s.saturation, 0.1234f);
    EXPECT_EQ(s.opacityRandom, 0.007f);
    EXPECT_EQ(s.billowSize, 0.1f);
}

} // namespace
} // namespace nebulastra
