#pragma once
// Frames for renderer tests: the effect's default parameter values as the snapshot converts them,
// lights placed by hand, and frame records with a hand-set preparation for tests that need
// exact control.

#include "../params/default_params.h" // relative: the benchmarks include this file too
#include "params/build_render_settings.h"
#include "records/render_settings.h"
#include "render/cloud_field.h"

namespace nebulastra::testing {

/// Every parameter at the default the effect declares, a width x height layer at full resolution,
/// time 0, no camera, no lights: the snapshot the effect itself builds for such a frame.
inline RenderSettings defaultRenderSettings(int32_t width, int32_t height) {
    test::DefaultParams params;
    PF_InData in_data{};
    in_data.width = width;
    in_data.height = height;
    in_data.downsample_x = {1, 1};
    in_data.downsample_y = {1, 1};
    in_data.time_scale = 24;
    return buildRenderSettings(params.params(), width, height, &in_data);
}

/// A camera `distance` pixels in front of the layer with zoom equal to that distance, so z = 0 is
/// seen pixel for pixel (without a camera, clouds a few pixels across fall below the float
/// resolution of the bound-sphere clip from the eye 1e5 pixels away).
inline void setFrontCamera(RenderSettings& s, float distance) {
    s.camera = {true,
                {static_cast<float>(s.fullWidth) * 0.5f, static_cast<float>(s.fullHeight) * 0.5f, -distance},
                {1, 0, 0},
                {0, 1, 0},
                {0, 0, 1},
                distance};
}

inline void addEmitter(RenderSettings& s, float x, float y, float z, float r = 1.0f, float g = 1.0f,
                       float b = 1.0f, float intensity = 1.0f, float shadowDarkness = 1.0f) {
    s.emitters[s.emitterCount++] = CloudEmitter{{x, y, z}, {r, g, b}, intensity, shadowDarkness};
}

/// Settings whose shape controls are all off: a plain ellipsoid of hard-edged density.
inline RenderSettings plainShapeSettings() {
    RenderSettings s = defaultRenderSettings(32, 32);
    s.cloudSizePx = 10.0f;
    s.tower = 0.0f;
    s.flattenBase = 0.0f;
    s.billow = 0.0f;
    s.edgeErosion = 0.0f;
    s.domainWarp = 0.0f;
    s.edgeHardness = 0.5f;
    s.textureStrength = 0.0f;
    return s;
}

/// The frame record of `s` with its preparation set by hand for exact control: radius `radius`,
/// unrotated, unscaled, opacity 1, billow noise of period about one radius, centred on 0.5 with
/// gain 1. The billow octaves' bounds are the ones prepareFrame gives the settings' billow map and
/// detail at the hand-set phase 0.25: set those two before. Tests change its settings and
/// preparation in place.
inline CloudField handFrame(const RenderSettings& s, float radius) {
    constexpr float kHandBillowPhase = 0.25f;
    RenderSettings phased = s;
    phased.timeSeconds = 0.0f;
    phased.worldEvolution = 0.0f;
    phased.billowEvolution = kHandBillowPhase;
    CloudField frame = makeCloudField(phased);
    frame.settings = s;
    frame.settings.emitterCount = drawnEmitterCount(s);
    PreparedFrame& f = frame.prepared;
    const PreparedFrame bounds = f;
    f = PreparedFrame{};
    f.billowBounded = bounds.billowBounded;
    for (int32_t o = 0; o <= kMostBoundedOctaves; ++o) {
        f.billowRestLow[o] = bounds.billowRestLow[o];
        f.billowRestHigh[o] = bounds.billowRestHigh[o];
    }
    for (int32_t k = 0; k < s.emitterCount; ++k) {
        f.emitterRadius[k] = radius;
        for (int c = 0; c < 3; ++c) {
            f.emitterLinearColor[c][k] = s.emitters[k].color[c];
            f.emitterInvScale[c][k] = 1.0f;
            f.emitterRotation[c][k][c] = 1.0f;
        }
        f.emitterMaxScale[k] = 1.0f;
        f.emitterOpacity[k] = 1.0f;
    }
    f.billowFrequency = 1.0f / radius;
    f.edgeWidth = 0.05f;
    f.billowPhase = kHandBillowPhase;
    f.billowMean = 0.5f;
    f.billowGain = 1.0f;
    f.textureFrequency = 0.5f / radius;
    f.texturePhase = 0.75f;
    f.boundRadius = 1000.0f;
    return frame;
}

} // namespace nebulastra::testing
