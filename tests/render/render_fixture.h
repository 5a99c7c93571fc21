#pragma once
// Frames for renderer tests: the effect's default parameter values as the snapshot converts them,
// lights placed by hand, and hand-built PreparedFrames for tests that need exact control.

#include <cmath>

#include "records/render_settings.h"
#include "render/prepared_frame.h"

namespace nebulastra::testing {

inline float percent(double value) { return static_cast<float>(value * 0.01); }

/// Every parameter at its default, a width x height layer at full resolution, time 0, no camera,
/// no lights.
inline RenderSettings defaultRenderSettings(int32_t width, int32_t height) {
    RenderSettings s{};
    s.qualitySteps = 64;
    s.density = percent(200);
    s.brightness = percent(100);
    s.cloudSizePx = std::fmax(static_cast<float>(height) * (30.0f * 0.0099999998f), 1.0f);
    s.edgeSoftness = 2.0f;
    const float sunAngle = 2949120.0f * 2.6631614e-7f;  // 45 degrees for both azimuth and elevation
    s.sunDirection[0] = std::sin(sunAngle) * std::cos(sunAngle);
    s.sunDirection[1] = -std::sin(sunAngle);
    s.sunDirection[2] = std::cos(sunAngle) * std::cos(sunAngle);
    s.sunIntensity = percent(130);
    s.ambient = percent(35);
    s.phaseAnisotropy = 0.45f;
    s.selfShadow = percent(100);
    s.flattenBase = percent(50);
    s.tower = percent(35);
    s.edgeErosion = percent(40);
    s.domainWarp = percent(30);
    s.edgeHardness = percent(50);
    s.billowMap = NoiseShape::Smooth;
    s.billow = percent(60);
    s.billowSize = 3.0f;
    s.billowDetail = 4;
    s.evolutionSpeed = percent(30);
    for (int i = 0; i < 3; ++i) s.scale[i] = 1.0f;
    s.intensitySizeWeight = 1.0f;
    s.saturation = percent(100);
    s.overlapBlend = BlendMode::Average;
    s.textureType = TextureType::Wisps;
    s.textureStrength = percent(30);
    s.textureScale = 6.0f;
    s.textureContrast = percent(100);
    s.outputWidth = width;
    s.outputHeight = height;
    s.fullWidth = width;
    s.fullHeight = height;
    return s;
}

/// A camera straight in front of the layer, `distance` pixels before z = 0 and with zoom equal to
/// that distance, so the plane z = 0 is seen pixel for pixel. Small test frames need it: without
/// a camera the eye is 1e5 pixels away, where a cloud a few pixels across falls below the float
/// resolution of the bound-sphere clip.
inline void setFrontCamera(RenderSettings& s, float distance) {
    s.camera = {true,
                {static_cast<float>(s.fullWidth) * 0.5f, static_cast<float>(s.fullHeight) * 0.5f, -distance},
                {1, 0, 0},
                {0, 1, 0},
                {0, 0, 1},
                distance};
}

inline void addEmitter(RenderSettings& s, float x, float y, float z, float r = 1.0f, float g = 1.0f, float b = 1.0f,
                       float intensity = 1.0f, float shadowDarkness = 1.0f) {
    CloudEmitter& e = s.emitters[s.emitterCount++];
    e.position[0] = x;
    e.position[1] = y;
    e.position[2] = z;
    e.color[0] = r;
    e.color[1] = g;
    e.color[2] = b;
    e.intensity = intensity;
    e.shadowDarkness = shadowDarkness;
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

/// A frame-constant record for the emitters of `s`, built by hand: radius `radius`, unrotated,
/// unscaled, opacity 1, billow noise of period about one radius, centred on 0.5 with gain 1.
inline PreparedFrame handPreparedFrame(const RenderSettings& s, float radius) {
    PreparedFrame f{};
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
    f.billowPhase = 0.25f;
    f.billowMean = 0.5f;
    f.billowGain = 1.0f;
    f.textureFrequency = 0.5f / radius;
    f.texturePhase = 0.75f;
    f.boundRadius = 1000.0f;
    return f;
}

} // namespace nebulastra::testing
