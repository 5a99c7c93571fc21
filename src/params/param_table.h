#pragma once
// The effect's parameters as data: one row per control, in the order they are added to the host.
//
// The index of a row is also its disk ID, which After Effects stores in projects; rows may never be
// renumbered, removed or reused. Everything that reads a parameter (the render settings snapshot,
// the smart-render checkout loop) refers to it through the ParamIndex names below, never by its
// display name: "Seed" and "Scale" occur twice.

#include <cstddef>
#include <cstdint>

namespace nebulastra {

enum ParamIndex : int32_t {
    kParamInputLayer = 0, // implicit, supplied by the host
    kParamRenderGroup = 1,
    kParamQualitySteps = 2,
    kParamDensity = 3,
    kParamBrightness = 4,
    kParamRenderGroupEnd = 5,
    kParamLightsGroup = 6,
    kParamEmitters = 7,
    kParamSaturation = 8,
    kParamOverlapBlend = 9,
    kParamLightsGroupEnd = 10,
    kParamCloudShapeGroup = 11,
    kParamCloudSize = 12,
    kParamFlattenBase = 13,
    kParamTower = 14,
    kParamBillowMap = 15,
    kParamBillow = 16,
    kParamBillowSize = 17,
    kParamBillowDetail = 18,
    kParamBillowSeed = 19,
    kParamEdgeSoftness = 20,
    kParamEdgeHardness = 21,
    kParamEdgeErosion = 22,
    kParamDomainWarp = 23,
    kParamCloudShapeGroupEnd = 24,
    kParamCloudLightingGroup = 25,
    kParamSunAzimuth = 26,
    kParamSunElevation = 27,
    kParamSunIntensity = 28,
    kParamAmbient = 29,
    kParamSelfShadow = 30,
    kParamCloudLightingGroupEnd = 31,
    kParamTransformGroup = 32,
    kParamScaleX = 33,
    kParamScaleY = 34,
    kParamScaleZ = 35,
    kParamRotateX = 36,
    kParamRotateY = 37,
    kParamRotateZ = 38,
    kParamTransformGroupEnd = 39,
    kParamRandomizeGroup = 40,
    kParamScaleRandomX = 41,
    kParamScaleRandomY = 42,
    kParamScaleRandomZ = 43,
    kParamRotationRandomX = 44,
    kParamRotationRandomY = 45,
    kParamRotationRandomZ = 46,
    kParamOpacityRandom = 47,
    kParamRandomSeed = 48,
    kParamRandomizeGroupEnd = 49,
    kParamTextureGroup = 50,
    kParamTextureType = 51,
    kParamTextureStrength = 52,
    kParamTextureScale = 53,
    kParamTextureContrast = 54,
    kParamTextureSeed = 55,
    kParamTextureGroupEnd = 56,
    kParamEvolutionGroup = 57,
    kParamWorldEvolution = 58,
    kParamEvolutionSpeed = 59,
    kParamBillowEvolution = 60,
    kParamTextureEvolution = 61,
    kParamEvolutionGroupEnd = 62,
};

/// Parameters the effect adds (indices 1 to 62), and the host's count including the input layer.
constexpr int32_t kEffectParamCount = 62;
constexpr int32_t kParamSlotCount = kEffectParamCount + 1;

enum class ParamKind : uint8_t {
    GroupStart,
    GroupEnd,
    IntSlider,   // PF_Param_SLIDER
    FloatSlider, // PF_Param_FLOAT_SLIDER
    Angle,       // PF_Param_ANGLE, 16.16 fixed-point degrees, no range
    Checkbox,    // PF_Param_CHECKBOX
    Popup,       // PF_Param_POPUP, 1-based items
};

struct ParamSpec {
    int32_t index; // also the disk ID
    ParamKind kind;
    const char* name;    // null for group ends, which carry no name
    double defaultValue; // slider units (percent for percent sliders), degrees for angles,
                         // 0 or 1 for the checkbox, the 1-based item for popups
    float validMin;      // sliders: range accepted when typed in
    float validMax;
    float sliderMin; // sliders: range of the slider itself
    float sliderMax;
    int16_t precision;    // float sliders: digits after the decimal point
    int16_t displayFlags; // float sliders: 0 plain, 1 PF_ValueDisplayFlag_PERCENT
    int16_t numChoices;   // popups
    const char* text;     // popups: items separated by '|'; checkbox: the label beside the box
};

namespace param_rows {

constexpr int16_t kPlain = 0;
constexpr int16_t kPercent = 1;

constexpr ParamSpec groupStart(int32_t index, const char* name) {
    return {index, ParamKind::GroupStart, name, 0, 0, 0, 0, 0, 0, 0, 0, nullptr};
}
constexpr ParamSpec groupEnd(int32_t index) {
    return {index, ParamKind::GroupEnd, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, nullptr};
}
constexpr ParamSpec intSlider(int32_t index, const char* name, int32_t dflt, int32_t validMin,
                              int32_t validMax, int32_t sliderMin, int32_t sliderMax) {
    return {index,
            ParamKind::IntSlider,
            name,
            double(dflt),
            float(validMin),
            float(validMax),
            float(sliderMin),
            float(sliderMax),
            0,
            0,
            0,
            nullptr};
}
constexpr ParamSpec floatSlider(int32_t index, const char* name, double dflt, float validMin, float validMax,
                                float sliderMin, float sliderMax, int16_t precision, int16_t display) {
    return {index,     ParamKind::FloatSlider,
            name,      dflt,
            validMin,  validMax,
            sliderMin, sliderMax,
            precision, display,
            0,         nullptr};
}
constexpr ParamSpec angle(int32_t index, const char* name, int32_t degrees) {
    return {index, ParamKind::Angle, name, double(degrees), 0, 0, 0, 0, 0, 0, 0, nullptr};
}
constexpr ParamSpec checkbox(int32_t index, const char* name, bool dflt, const char* label) {
    return {index, ParamKind::Checkbox, name, dflt ? 1.0 : 0.0, 0, 0, 0, 0, 0, 0, 0, label};
}
constexpr ParamSpec popup(int32_t index, const char* name, int16_t numChoices, int32_t dflt,
                          const char* items) {
    return {index, ParamKind::Popup, name, double(dflt), 0, 0, 0, 0, 0, 0, numChoices, items};
}

} // namespace param_rows

// clang-format off
inline constexpr ParamSpec kParamTable[kEffectParamCount] = {
    param_rows::groupStart(kParamRenderGroup, "Render"),
    param_rows::intSlider(kParamQualitySteps, "Quality (Steps)", 64, 16, 256, 16, 256),
    param_rows::floatSlider(kParamDensity, "Density", 200, 0, 1000, 0, 1000, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamBrightness, "Brightness", 100, 0, 400, 0, 400, 1, param_rows::kPercent),
    param_rows::groupEnd(kParamRenderGroupEnd),

    param_rows::groupStart(kParamLightsGroup, "Lights"),
    param_rows::checkbox(kParamEmitters, "Emitters", false, "Only lights named \"cloud...\""),
    param_rows::floatSlider(kParamSaturation, "Saturation", 100, 0, 200, 0, 200, 1, param_rows::kPercent),
    param_rows::popup(kParamOverlapBlend, "Overlap Blend", 5, 1, "Average|Add|Screen|Lighten|Darken"),
    param_rows::groupEnd(kParamLightsGroupEnd),

    param_rows::groupStart(kParamCloudShapeGroup, "Cloud Shape"),
    param_rows::floatSlider(kParamCloudSize, "Cloud Size", 30, 1, 200, 1, 100, 1, param_rows::kPlain),
    param_rows::floatSlider(kParamFlattenBase, "Flatten Base", 50, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamTower, "Tower", 35, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::popup(kParamBillowMap, "Billow Map", 4, 1, "Smooth|Puffy|Wispy|Clumps"),
    param_rows::floatSlider(kParamBillow, "Billow", 60, 0, 200, 0, 200, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamBillowSize, "Billow Size", 3, 0.1f, 20, 0.1f, 20, 2, param_rows::kPlain),
    param_rows::intSlider(kParamBillowDetail, "Billow Detail", 4, 1, 6, 1, 6),
    param_rows::floatSlider(kParamBillowSeed, "Billow Seed", 0, 0, 10000, 0, 10000, 0, param_rows::kPlain),
    param_rows::floatSlider(kParamEdgeSoftness, "Edge Softness", 2, 0.2f, 8, 0.2f, 8, 2, param_rows::kPlain),
    param_rows::floatSlider(kParamEdgeHardness, "Edge Hardness", 50, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamEdgeErosion, "Edge Erosion", 40, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamDomainWarp, "Domain Warp", 30, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::groupEnd(kParamCloudShapeGroupEnd),

    param_rows::groupStart(kParamCloudLightingGroup, "Cloud Lighting"),
    param_rows::angle(kParamSunAzimuth, "Sun Azimuth", 45),
    param_rows::angle(kParamSunElevation, "Sun Elevation", 45),
    param_rows::floatSlider(kParamSunIntensity, "Sun Intensity", 130, 0, 400, 0, 400, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamAmbient, "Ambient", 35, 0, 200, 0, 200, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamSelfShadow, "Self Shadow", 100, 0, 200, 0, 200, 1, param_rows::kPercent),
    param_rows::groupEnd(kParamCloudLightingGroupEnd),

    param_rows::groupStart(kParamTransformGroup, "Transform"),
    param_rows::floatSlider(kParamScaleX, "Scale X", 100, 0, 400, 0, 400, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamScaleY, "Scale Y", 100, 0, 400, 0, 400, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamScaleZ, "Scale Z", 100, 0, 400, 0, 400, 1, param_rows::kPercent),
    param_rows::angle(kParamRotateX, "Rotate X", 0),
    param_rows::angle(kParamRotateY, "Rotate Y", 0),
    param_rows::angle(kParamRotateZ, "Rotate Z", 0),
    param_rows::groupEnd(kParamTransformGroupEnd),

    param_rows::groupStart(kParamRandomizeGroup, "Randomize"),
    param_rows::floatSlider(kParamScaleRandomX, "Scale Random X", 0, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamScaleRandomY, "Scale Random Y", 0, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamScaleRandomZ, "Scale Random Z", 0, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamRotationRandomX, "Rotation Random X", 0, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamRotationRandomY, "Rotation Random Y", 0, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamRotationRandomZ, "Rotation Random Z", 0, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamOpacityRandom, "Opacity Random", 0, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamRandomSeed, "Seed", 0, 0, 10000, 0, 10000, 0, param_rows::kPlain),
    param_rows::groupEnd(kParamRandomizeGroupEnd),

    param_rows::groupStart(kParamTextureGroup, "Texture"),
    param_rows::popup(kParamTextureType, "Type", 3, 1, "Wisps|Billows|Erosion"),
    param_rows::floatSlider(kParamTextureStrength, "Strength", 30, 0, 100, 0, 100, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamTextureScale, "Scale", 6, 0.1f, 100, 0.1f, 100, 2, param_rows::kPlain),
    param_rows::floatSlider(kParamTextureContrast, "Contrast", 100, 0, 200, 0, 200, 1, param_rows::kPercent),
    param_rows::floatSlider(kParamTextureSeed, "Seed", 0, 0, 10000, 0, 10000, 0, param_rows::kPlain),
    param_rows::groupEnd(kParamTextureGroupEnd),

    param_rows::groupStart(kParamEvolutionGroup, "Evolution"),
    param_rows::angle(kParamWorldEvolution, "World Evolution", 0),
    param_rows::floatSlider(kParamEvolutionSpeed, "Speed", 30, 0, 1000, 0, 1000, 1, param_rows::kPercent),
    param_rows::angle(kParamBillowEvolution, "Billow Evolution", 0),
    param_rows::angle(kParamTextureEvolution, "Texture Evolution", 0),
    param_rows::groupEnd(kParamEvolutionGroupEnd),
};
// clang-format on

/// The row of parameter `index` (1 to 62).
constexpr const ParamSpec& paramSpec(int32_t index) { return kParamTable[index - 1]; }

namespace param_rows {
constexpr bool rowsAreInIndexOrder() {
    for (int32_t i = 0; i < kEffectParamCount; ++i) {
        if (kParamTable[i].index != i + 1) return false;
    }
    return true;
}
constexpr bool namesFitTheHost() {
    for (const ParamSpec& row : kParamTable) {
        if (row.name == nullptr) continue;
        size_t n = 0;
        while (row.name[n] != '\0') ++n;
        if (n > 31) return false; // PF_ParamDef.name holds 31 characters and a NUL
    }
    return true;
}
} // namespace param_rows

static_assert(param_rows::rowsAreInIndexOrder(), "row i of the table must declare index i + 1");
static_assert(param_rows::namesFitTheHost(), "parameter names are limited to 31 characters");

} // namespace nebulastra
