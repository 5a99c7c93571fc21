// Building the per-frame kernel input from the frame's snapshot and preparation.

#include "render/cloud_field.h"

#include <algorithm>

#include "render/noise_channels.h"

namespace nebulastra {
namespace {

/// The reach squared, rounded once to float (6.7599993).
constexpr float kReachSquared = kCloudReach * kCloudReach;
constexpr float kShadowSpacing = 0.35f; // shadow samples apart, in cloud sizes

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
