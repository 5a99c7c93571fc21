// Building the per-frame kernel input from the frame's snapshot and preparation.

#include "render/cloud_field.h"

#include <algorithm>
#include <cmath>

#include "render/noise/noise_internal.h"
#include "render/noise_channels.h"

namespace nebulastra {
namespace {

/// The reach squared, rounded once to float (6.7599993).
constexpr float kReachSquared = kCloudReach * kCloudReach;
constexpr float kShadowSpacing = 0.35f; // shadow samples apart, in cloud sizes

/// The shaped range of an octave that strays from 0.5 by at most 0.7 reach (within the global
/// octave range), as the billow maps bend it.
NoiseRange shapedOctaveWithin(NoiseShape shape, float reach) {
    const float n0 = std::max(0.5f - 0.7f * reach, kOctaveMin),
                n1 = std::min(0.5f + 0.7f * reach, kOctaveMax);
    const float d = std::max(std::fabs((n0 + n0) - 1.0f), std::fabs((n1 + n1) - 1.0f));
    switch (shape) {
    case NoiseShape::Puffy:
        return {0.0f, d};
    case NoiseShape::Wispy: {
        const float ridge = 1.0f - d;
        return {ridge > 0.0f ? ridge * ridge : 0.0f, std::max(1.0f, ridge * ridge)};
    }
    case NoiseShape::Clumps:
        return {(n0 * n0) * n0, (n1 * n1) * n1};
    default:
        return {n0, n1};
    }
}

/// Each billow octave's bounds for the frame, summed from the last octave back. An octave is 0.5
/// plus 0.7 times a convex combination of corner values no larger than their offsets, so it strays
/// from 0.5 by at most 0.7 times the root of the weighted squared offsets: per axis t^2 + fade(t)
/// (1 - 2t), at most 1/4 for x, y and z wherever they fall, and for w, which the frame fixes, that
/// of its own fraction (rounded up a little for the rounding of the noise's own weight).
void boundBillowOctaves(const RenderSettings& settings, float phase, CloudField& field) {
    const int32_t octaves = settings.billowDetail;
    const NoiseRange global = shapedOctaveRange(settings.billowMap);
    for (int32_t o = 0; o <= kMostBoundedOctaves; ++o) {
        field.billowRestLow[o] = 0.0f;
        field.billowRestHigh[o] = 0.0f;
    }
    if (octaves < 1) return;
    NoiseRange range[kMostBoundedOctaves];
    float w = phase;
    const bool bounded = octaves <= kMostBoundedOctaves;
    for (int32_t o = 0; bounded && o < octaves; ++o) {
        // As the lookups step w: w 2.02 + 1.7, each operation rounded.
        const bool usable = std::isfinite(w) && std::fabs(w) < 1048576.0f;
        if (usable) {
            const float t = w - std::floor(w);
            const float fade = (((6.0f * t - 15.0f) * t + 10.0f) * t) * (t * t);
            const float spread = t * t + fade * (1.0f - (t + t));
            range[o] = shapedOctaveWithin(settings.billowMap, std::sqrt(0.75f + spread) * 1.00001f);
        } else {
            range[o] = global;
        }
        w = w * noise_internal::kLacunarity + noise_internal::kOctaveShiftW;
    }
    float amplitude = 1.0f;
    for (int32_t o = 0; o < std::min(octaves, kMostBoundedOctaves); ++o) amplitude *= 0.5f;
    for (int32_t o = std::min(octaves, kMostBoundedOctaves) - 1; o >= 0; --o, amplitude *= 2.0f) {
        const NoiseRange r = bounded ? range[o] : global;
        field.billowRestLow[o] = field.billowRestLow[o + 1] + amplitude * r.lowest;
        field.billowRestHigh[o] = field.billowRestHigh[o + 1] + amplitude * r.highest;
    }
}

} // namespace

TextureField makeTextureField(const RenderSettings& settings, const PreparedFrame& prepared) {
    TextureField texture{};
    texture.enabled = settings.textureStrength > 0.001f;
    texture.type = settings.textureType;
    texture.strength = settings.textureStrength;
    texture.contrast = settings.textureContrast;
    texture.frequency = prepared.textureFrequency;
    texture.phase = prepared.texturePhase;
    texture.octaves = settings.billowDetail;
    texture.seed = settings.textureSeed;
    return texture;
}

CloudField makeCloudField(const RenderSettings& settings, const PreparedFrame& prepared) {
    CloudField field{};
    const int32_t count = drawnEmitterCount(settings);
    field.emitterCount = count;
    for (int32_t k = 0; k < count; ++k) {
        field.positionX[k] = settings.emitters[k].position[0];
        field.positionY[k] = settings.emitters[k].position[1];
        field.positionZ[k] = settings.emitters[k].position[2];
        const float radius = prepared.emitterRadius[k];
        const float reach = radius * prepared.emitterMaxScale[k];
        field.radius[k] = radius;
        field.reachSquared[k] = kReachSquared * (reach * reach);
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                field.rotation[row][column][k] = prepared.emitterRotation[row][k][column];
            }
        }
        for (int axis = 0; axis < 3; ++axis) field.invScale[axis][k] = prepared.emitterInvScale[axis][k];
        field.opacity[k] = prepared.emitterOpacity[k];
        field.densityScale[k] = settings.cloudSizePx / radius;
        field.emitterIndex[k] = static_cast<float>(k);
    }

    field.tower = settings.tower;
    field.towerStretch = 1.0f + 1.2f * settings.tower;
    field.billow = settings.billow;
    field.billowFrequency = prepared.billowFrequency;
    field.warped = settings.domainWarp > 0.0f;
    field.warpAmount = 2.2f * settings.domainWarp;
    field.billowMap = settings.billowMap;
    field.billowOctaves = settings.billowDetail;
    field.billowSeed = settings.billowSeed;
    field.billowPhase = prepared.billowPhase;
    field.billowMean = prepared.billowMean;
    boundBillowOctaves(settings, prepared.billowPhase, field);
    field.billowGain = prepared.billowGain;
    field.edgeErosion = settings.edgeErosion;
    field.erosionOctaves = std::min(settings.billowDetail, 3);
    field.erosionPhase =
        prepared.billowPhase * noise_channels::kErosion.phaseScale + noise_channels::kErosion.phaseOffset;
    field.flattenBase = settings.flattenBase;
    field.edgeWidth = prepared.edgeWidth;
    const float hardness = settings.edgeHardness;
    field.hardnessApplies = hardness < 0.49f || hardness > 0.51f;
    // Below 1 (harder) toward 100 %, above 1 (softer) toward 0 %.
    field.hardnessExponent =
        hardness >= 0.5f ? 1.0f - (hardness - 0.5f) * 1.2f : 1.0f + (0.5f - hardness) * 3.0f;
    field.detailPhase =
        prepared.billowPhase * noise_channels::kDetail.phaseScale + noise_channels::kDetail.phaseOffset;

    field.texture = makeTextureField(settings, prepared);

    field.cloudSizePx = settings.cloudSizePx;
    field.unit = std::max(settings.cloudSizePx, 1.0f);
    field.qualitySteps = settings.qualitySteps;
    field.extinction = settings.density;
    field.shadowed = settings.selfShadow > 0.001f;
    field.selfShadow = settings.selfShadow;
    field.shadowStep = kShadowSpacing * field.unit;
    for (int c = 0; c < 3; ++c) field.sunDirection[c] = settings.sunDirection[c];
    field.sunIntensity = settings.sunIntensity;
    field.ambient = settings.ambient;
    field.phaseAnisotropy = settings.phaseAnisotropy;
    field.brightness = settings.brightness;
    for (int c = 0; c < 3; ++c) field.boundCenter[c] = prepared.boundCenter[c];
    field.boundRadius = prepared.boundRadius;

    field.view = makeViewField(settings);
    field.color = makeColorField(settings, prepared);
    return field;
}

} // namespace nebulastra
