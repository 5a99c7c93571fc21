// The scene file's names for the effect's parameters, and the conversion of control values into
// the values the host stores in each PF_ParamDef.
#include "scenehost/scene_params.h"

#include <cmath>
#include <limits>

#include "scenehost/scene_eval.h"

namespace nebulastra::scene {

namespace {

using K = ParamKind;

// Parameter order of the effect; defaults are those declared at parameter setup, in the units
// the controls show.
constexpr std::array<EffectKey, 46> kEffectKeys{{
    {"qualitySteps", 2, K::IntSlider, 64, ""},
    {"density", 3, K::FloatSlider, 200, ""},
    {"brightness", 4, K::FloatSlider, 100, ""},
    {"cloudPrefixOnly", 7, K::Checkbox, 0, ""},
    {"saturation", 8, K::FloatSlider, 100, ""},
    {"overlapBlend", 9, K::Popup, 1, "Average|Add|Screen|Lighten|Darken"},
    {"cloudSize", 12, K::FloatSlider, 30, ""},
    {"flattenBase", 13, K::FloatSlider, 50, ""},
    {"tower", 14, K::FloatSlider, 35, ""},
    {"billowMap", 15, K::Popup, 1, "Smooth|Puffy|Wispy|Clumps"},
    {"billow", 16, K::FloatSlider, 60, ""},
    {"billowSize", 17, K::FloatSlider, 3, ""},
    {"billowDetail", 18, K::IntSlider, 4, ""},
    {"billowSeed", 19, K::FloatSlider, 0, ""},
    {"edgeSoftness", 20, K::FloatSlider, 2, ""},
    {"edgeHardness", 21, K::FloatSlider, 50, ""},
    {"edgeErosion", 22, K::FloatSlider, 40, ""},
    {"domainWarp", 23, K::FloatSlider, 30, ""},
    {"sunAzimuth", 26, K::Angle, 45, ""},
    {"sunElevation", 27, K::Angle, 45, ""},
    {"sunIntensity", 28, K::FloatSlider, 130, ""},
    {"ambient", 29, K::FloatSlider, 35, ""},
    {"selfShadow", 30, K::FloatSlider, 100, ""},
    {"scaleX", 33, K::FloatSlider, 100, ""},
    {"scaleY", 34, K::FloatSlider, 100, ""},
    {"scaleZ", 35, K::FloatSlider, 100, ""},
    {"rotateX", 36, K::Angle, 0, ""},
    {"rotateY", 37, K::Angle, 0, ""},
    {"rotateZ", 38, K::Angle, 0, ""},
    {"scaleRandomX", 41, K::FloatSlider, 0, ""},
    {"scaleRandomY", 42, K::FloatSlider, 0, ""},
    {"scaleRandomZ", 43, K::FloatSlider, 0, ""},
    {"rotationRandomX", 44, K::FloatSlider, 0, ""},
    {"rotationRandomY", 45, K::FloatSlider, 0, ""},
    {"rotationRandomZ", 46, K::FloatSlider, 0, ""},
    {"opacityRandom", 47, K::FloatSlider, 0, ""},
    {"randomSeed", 48, K::FloatSlider, 0, ""},
    {"textureType", 51, K::Popup, 1, "Wisps|Billows|Erosion"},
    {"textureStrength", 52, K::FloatSlider, 30, ""},
    {"textureScale", 53, K::FloatSlider, 6, ""},
    {"textureContrast", 54, K::FloatSlider, 100, ""},
    {"textureSeed", 55, K::FloatSlider, 0, ""},
    {"worldEvolution", 58, K::Angle, 0, ""},
    {"evolutionSpeed", 59, K::FloatSlider, 30, ""},
    {"billowEvolution", 60, K::Angle, 0, ""},
    {"textureEvolution", 61, K::Angle, 0, ""},
}};

// Group starts; each group end sits just before the next start, and 62 closes the last group.
constexpr int kGroupStarts[] = {1, 6, 11, 25, 32, 40, 50, 57};
constexpr int kGroupEnds[] = {5, 10, 24, 31, 39, 49, 56, 62};

} // namespace

const std::array<EffectKey, 46>& effectKeys() { return kEffectKeys; }

const EffectKey* findEffectKey(std::string_view key) {
    for (const EffectKey& k : kEffectKeys) {
        if (k.key == key) return &k;
    }
    return nullptr;
}

const EffectKey* effectKeyAt(int index) {
    for (const EffectKey& k : kEffectKeys) {
        if (k.index == index) return &k;
    }
    return nullptr;
}

ParamKind paramKindAt(int index) {
    if (const EffectKey* k = effectKeyAt(index)) return k->kind;
    for (int end : kGroupEnds) {
        if (end == index) return ParamKind::GroupEnd;
    }
    return ParamKind::GroupStart;
}

int popupChoiceIndex(const EffectKey& key, std::string_view choice) {
    std::string_view rest = key.choices;
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

std::array<HostParamValue, kParamCount + 1> hostParamValues(const Scene& scene, double t) {
    std::array<HostParamValue, kParamCount + 1> values{};
    for (int start : kGroupStarts) values[start].kind = ParamKind::GroupStart;
    for (int end : kGroupEnds) values[end].kind = ParamKind::GroupEnd;

    for (const EffectKey& key : kEffectKeys) {
        HostParamValue& out = values[key.index];
        out.kind = key.kind;
        const auto found = scene.effect.find(key.index);
        const Track* track = found == scene.effect.end() ? nullptr : &found->second;
        const bool stepped = key.kind == ParamKind::Popup || key.kind == ParamKind::Checkbox;
        const double v = track == nullptr ? key.defaultValue
                         : stepped        ? evaluateStepped(*track, t)
                                          : evaluateTrack(*track, t);
        switch (key.kind) {
        case ParamKind::FloatSlider:
            out.floatValue = v;
            break;
        case ParamKind::Angle:
            out.intValue = roundToInt32(v * 65536.0);
            break;
        default:
            out.intValue = roundToInt32(v);
            break;
        }
    }
    return values;
}

} // namespace nebulastra::scene
