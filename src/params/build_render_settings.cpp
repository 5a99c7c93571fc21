#include "params/build_render_settings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "params/param_conversions.h"
#include "params/param_table.h"
#include "render/math/elementary.h"

namespace nebulastra {
namespace {

constexpr float kPhaseAnisotropy = 0.45f;
constexpr float kIntensitySizeWeight = 1.0f;
constexpr float kMinScale = 0.02f;
constexpr float kMinCloudSizePx = 1.0f;

double floatSlider(const PF_ParamDef* const* params, ParamIndex i) { return params[i]->u.fs_d.value; }
float percent(const PF_ParamDef* const* params, ParamIndex i) {
    return percentToFraction(floatSlider(params, i));
}
float radians(const PF_ParamDef* const* params, ParamIndex i) {
    return fixedDegreesToRadians(params[i]->u.ad.value);
}
float atLeastScale(float s) { return s >= kMinScale ? s : kMinScale; } // NaN fails the test too

} // namespace

int32_t fullResolutionSize(int32_t size, PF_RationalScale downsample) {
    double num = downsample.num;
    double den = downsample.den;
    if (downsample.num < 1) {
        num = 1.0;
        den = 1.0;
    }
    const int32_t full = truncateToInt32(static_cast<double>(size) * den / num + 0.5);
    if (full < 1) return size > 0 ? size : 1;
    return full;
}

int32_t downsampledSize(int32_t fullSize, PF_RationalScale downsample) {
    if (fullSize < 1) return 0;
    int64_t num = downsample.num;
    int64_t den = downsample.den;
    if (num < 1 || den == 0) {
        num = 1;
        den = 1;
    }
    // Ceiling division in 64 bits: size x num cannot overflow, and the result is at most the
    // size times the numerator, clamped to the int32 range.
    const int64_t size = (int64_t{fullSize} * num + den - 1) / den;
    return static_cast<int32_t>(std::min<int64_t>(size, std::numeric_limits<int32_t>::max()));
}

LayerSize downsampledLayerSize(const PF_InData* in_data) {
    return LayerSize{downsampledSize(in_data->width, in_data->downsample_x),
                     downsampledSize(in_data->height, in_data->downsample_y)};
}

RenderSettings buildRenderSettings(const PF_ParamDef* const* params, const PF_EffectWorld* output,
                                   const PF_InData* in_data) {
    return buildRenderSettings(params, output->width, output->height, in_data);
}

RenderSettings buildRenderSettings(const PF_ParamDef* const* params, int32_t frameWidth, int32_t frameHeight,
                                   const PF_InData* in_data) {
    RenderSettings s;
    // All bytes zero: no emitters, camera marked absent, padding deterministic.
    std::memset(&s, 0, sizeof s);

    // Sizes first: the cloud size is measured against the full-resolution height.
    s.outputWidth = frameWidth;
    s.outputHeight = frameHeight;
    s.fullWidth = fullResolutionSize(frameWidth, in_data->downsample_x);
    s.fullHeight = fullResolutionSize(frameHeight, in_data->downsample_y);

    s.qualitySteps = clampInt(params[kParamQualitySteps]->u.sd.value, 16, 256);
    s.density = percent(params, kParamDensity);
    s.brightness = percent(params, kParamBrightness);

    const int32_t layerHeight = in_data->height > 0 ? in_data->height : s.fullHeight;
    const float cloudSize = sliderAsEntered(floatSlider(params, kParamCloudSize));
    const float cloudSizePx = static_cast<float>(layerHeight) * (cloudSize * 0.01f);
    s.cloudSizePx = cloudSizePx >= kMinCloudSizePx ? cloudSizePx : kMinCloudSizePx;

    s.edgeSoftness = sliderAsEntered(floatSlider(params, kParamEdgeSoftness));

    // +y points down in the composition, so a sun above the horizon has a negative y.
    const float azimuth = radians(params, kParamSunAzimuth);
    const float elevation = radians(params, kParamSunElevation);
    const float cosElevation = fmath::cos(elevation);
    s.sunDirection[0] = fmath::sin(azimuth) * cosElevation;
    s.sunDirection[1] = -fmath::sin(elevation);
    s.sunDirection[2] = fmath::cos(azimuth) * cosElevation;

    s.sunIntensity = percent(params, kParamSunIntensity);
    s.ambient = percent(params, kParamAmbient);
    s.phaseAnisotropy = kPhaseAnisotropy;
    s.selfShadow = percent(params, kParamSelfShadow);
    s.flattenBase = percent(params, kParamFlattenBase);
    s.tower = percent(params, kParamTower);
    s.edgeErosion = percent(params, kParamEdgeErosion);
    s.domainWarp = percent(params, kParamDomainWarp);
    s.edgeHardness = percent(params, kParamEdgeHardness);

    s.billowMap = noiseShapeFromPopup(params[kParamBillowMap]->u.pd.value);
    s.billow = percent(params, kParamBillow);
    s.billowSize = sliderAsEntered(floatSlider(params, kParamBillowSize));
    s.billowDetail = clampInt(params[kParamBillowDetail]->u.sd.value, 1, 6);
    s.billowEvolution = radians(params, kParamBillowEvolution);
    s.billowSeed = sliderToSeed(floatSlider(params, kParamBillowSeed));

    s.worldEvolution = radians(params, kParamWorldEvolution);
    s.evolutionSpeed = percent(params, kParamEvolutionSpeed);

    s.scale[0] = atLeastScale(percent(params, kParamScaleX));
    s.scale[1] = atLeastScale(percent(params, kParamScaleY));
    s.scale[2] = atLeastScale(percent(params, kParamScaleZ));
    s.rotation[0] = radians(params, kParamRotateX);
    s.rotation[1] = radians(params, kParamRotateY);
    s.rotation[2] = radians(params, kParamRotateZ);
    s.scaleRandom[0] = percent(params, kParamScaleRandomX);
    s.scaleRandom[1] = percent(params, kParamScaleRandomY);
    s.scaleRandom[2] = percent(params, kParamScaleRandomZ);
    s.rotationRandom[0] = percent(params, kParamRotationRandomX);
    s.rotationRandom[1] = percent(params, kParamRotationRandomY);
    s.rotationRandom[2] = percent(params, kParamRotationRandomZ);
    s.opacityRandom = percent(params, kParamOpacityRandom);
    s.randomSeed = sliderToSeed(floatSlider(params, kParamRandomSeed));
    s.intensitySizeWeight = kIntensitySizeWeight;

    s.saturation = percent(params, kParamSaturation);
    s.overlapBlend = blendModeFromPopup(params[kParamOverlapBlend]->u.pd.value);
    s.cloudPrefixOnly = params[kParamEmitters]->u.bd.value != 0;

    s.textureType = textureTypeFromPopup(params[kParamTextureType]->u.pd.value);
    s.textureStrength = percent(params, kParamTextureStrength);
    s.textureScale = sliderAsEntered(floatSlider(params, kParamTextureScale));
    s.textureContrast = percent(params, kParamTextureContrast);
    s.textureEvolution = radians(params, kParamTextureEvolution);
    s.textureSeed = sliderToSeed(floatSlider(params, kParamTextureSeed));

    float seconds = 0.0f;
    if (in_data->time_scale != 0) {
        seconds = static_cast<float>(in_data->current_time) / static_cast<float>(in_data->time_scale);
    }
    s.timeSeconds = seconds >= 0.0f ? seconds : 0.0f; // negative or NaN -> 0

    return s;
}

} // namespace nebulastra
