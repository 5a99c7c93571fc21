// The scene file's names for the effect's parameters, and the rounding of control values into
// the integers the host stores.
#include "scenefile/scene_params.h"

#include <cmath>
#include <limits>

namespace nebulastra::scenefile {

namespace {

constexpr std::array<EffectKey, kEffectKeyCount> kEffectKeys{{
    {"qualitySteps", kParamQualitySteps},
    {"density", kParamDensity},
    {"brightness", kParamBrightness},
    {"cloudPrefixOnly", kParamEmitters},
    {"saturation", kParamSaturation},
    {"overlapBlend", kParamOverlapBlend},
    {"cloudSize", kParamCloudSize},
    {"flattenBase", kParamFlattenBase},
    {"tower", kParamTower},
    {"billowMap", kParamBillowMap},
    {"billow", kParamBillow},
    {"billowSize", kParamBillowSize},
    {"billowDetail", kParamBillowDetail},
    {"billowSeed", kParamBillowSeed},
    {"edgeSoftness", kParamEdgeSoftness},
    {"edgeHardness", kParamEdgeHardness},
    {"edgeErosion", kParamEdgeErosion},
    {"domainWarp", kParamDomainWarp},
    {"sunAzimuth", kParamSunAzimuth},
    {"sunElevation", kParamSunElevation},
    {"sunIntensity", kParamSunIntensity},
    {"ambient", kParamAmbient},
    {"selfShadow", kParamSelfShadow},
    {"scaleX", kParamScaleX},
    {"scaleY", kParamScaleY},
    {"scaleZ", kParamScaleZ},
    {"rotateX", kParamRotateX},
    {"rotateY", kParamRotateY},
    {"rotateZ", kParamRotateZ},
    {"scaleRandomX", kParamScaleRandomX},
    {"scaleRandomY", kParamScaleRandomY},
    {"scaleRandomZ", kParamScaleRandomZ},
    {"rotationRandomX", kParamRotationRandomX},
    {"rotationRandomY", kParamRotationRandomY},
    {"rotationRandomZ", kParamRotationRandomZ},
    {"opacityRandom", kParamOpacityRandom},
    {"randomSeed", kParamRandomSeed},
    {"textureType", kParamTextureType},
    {"textureStrength", kParamTextureStrength},
    {"textureScale", kParamTextureScale},
    {"textureContrast", kParamTextureContrast},
    {"textureSeed", kParamTextureSeed},
    {"worldEvolution", kParamWorldEvolution},
    {"evolutionSpeed", kParamEvolutionSpeed},
    {"billowEvolution", kParamBillowEvolution},
    {"textureEvolution", kParamTextureEvolution},
}};

constexpr bool keysNameValueParameters() {
    std::size_t valued = 0;
    for (const ParamSpec& row : kParamTable)
        valued += row.kind != ParamKind::GroupStart && row.kind != ParamKind::GroupEnd;
    if (valued != kEffectKeyCount) return false;
    for (std::size_t i = 0; i < kEffectKeyCount; ++i) {
        const ParamKind kind = paramSpec(kEffectKeys[i].index).kind;
        if (kind == ParamKind::GroupStart || kind == ParamKind::GroupEnd) return false;
        if (i > 0 && kEffectKeys[i].index <= kEffectKeys[i - 1].index) return false;
    }
    return true;
}
static_assert(keysNameValueParameters(),
              "each parameter that carries a value needs exactly one scene key, in parameter order");

} // namespace

const std::array<EffectKey, kEffectKeyCount>& effectKeys() { return kEffectKeys; }

const EffectKey* findEffectKey(std::string_view key) {
    for (const EffectKey& k : kEffectKeys) {
        if (k.key == key) return &k;
    }
    return nullptr;
}

int popupChoiceIndex(const ParamSpec& row, std::string_view choice) {
    std::string_view rest = row.kind == ParamKind::Popup && row.text != nullptr ? row.text : "";
    for (int n = 1; !rest.empty(); ++n) {
        const std::size_t bar = rest.find('|');
        if (rest.substr(0, bar) == choice) return n;
        if (bar == std::string_view::npos) break;
        rest.remove_prefix(bar + 1);
    }
    return 0;
}

std::int32_t roundToInt32(double x) {
    if (std::isnan(x)) return 0;
    const double r = std::round(x); // halves away from zero
    if (r >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (r <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

} // namespace nebulastra::scenefile
