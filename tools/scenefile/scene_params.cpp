// The scene file's names for the effect's parameters, and the rounding of control values into
// the integers the host stores.
#include "scenefile/scene_params.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <string>

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

namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Levenshtein distance: insertions, deletions and substitutions of one character each.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::vector<std::string_view> closeEffectKeys(std::string_view name) {
    if (name.size() > 64) return {}; // no key is this long; spare the comparison
    const std::string wanted = lowered(name);
    const std::size_t allowed = wanted.size() <= 4 ? 1 : 2;
    std::vector<std::pair<std::size_t, std::string_view>> close; // (rank, key)
    for (const EffectKey& k : kEffectKeys) {
        const std::string key = lowered(k.key);
        const std::size_t distance = editDistance(wanted, key);
        if (distance <= allowed) {
            close.emplace_back(distance, k.key);
        } else if (wanted.size() >= 3 && key.find(wanted) != std::string::npos) {
            close.emplace_back(allowed + 1, k.key);
        }
    }
    std::stable_sort(close.begin(), close.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string_view> keys;
    for (std::size_t i = 0; i < close.size() && i < 3; ++i) keys.push_back(close[i].second);
    return keys;
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
