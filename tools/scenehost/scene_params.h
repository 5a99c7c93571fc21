// The effect's parameters as a scene file names them, and their values in host units.
//
// The scene host plays After Effects' parameter storage: the effect declares its 62 parameters
// at PF_Cmd_PARAMS_SETUP, and the host hands back values for a time in the units of the
// parameter's PF_ParamDef member. This file keeps its own table of the 46 value-carrying keys
// (index, kind, default) so that a scene can be evaluated without the effect's headers.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "scenehost/scene.h"

namespace nebulastra::scene {

constexpr int kParamCount = 62; // indices 1..62; index 0 is the input layer

// The kind of each parameter, deciding which PF_ParamDef member carries its value.
enum class ParamKind {
    GroupStart,  // PF_Param_GROUP_START, no value
    GroupEnd,    // PF_Param_GROUP_END, no value
    IntSlider,   // PF_Param_SLIDER: u.sd.value = intValue
    FloatSlider, // PF_Param_FLOAT_SLIDER: u.fs_d.value = floatValue
    Angle,       // PF_Param_ANGLE: u.ad.value = intValue (16.16 fixed-point degrees)
    Checkbox,    // PF_Param_CHECKBOX: u.bd.value = intValue (0 or 1)
    Popup,       // PF_Param_POPUP: u.pd.value = intValue (1-based choice)
};

// One value-carrying parameter as scene files name it.
struct EffectKey {
    std::string_view key; // e.g. "sunAzimuth"
    int index;            // parameter index = ID, 1..62
    ParamKind kind;
    double defaultValue;      // in control units: percent, degrees, 1-based choice, 0/1
    std::string_view choices; // popups: "Average|Add|Screen|Lighten|Darken"; empty otherwise
};

// The 46 keys in parameter order.
const std::array<EffectKey, 46>& effectKeys();

// The key with this name, or nullptr.
const EffectKey* findEffectKey(std::string_view key);

// The key at this parameter index, or nullptr (group starts and ends have none).
const EffectKey* effectKeyAt(int index);

// Kind of any index 1..62 (groups included).
ParamKind paramKindAt(int index);

// 1-based index of `choice` among the key's "|"-separated choices (exact, case-sensitive), or 0.
int popupChoiceIndex(const EffectKey& key, std::string_view choice);

// One parameter's value in host units. Exactly one of the two members is meaningful, chosen by
// kind (see ParamKind); both are zero for groups.
struct HostParamValue {
    ParamKind kind = ParamKind::GroupStart;
    double floatValue = 0.0;
    std::int32_t intValue = 0;
};

// Values of all parameters at t; element i is parameter i (element 0, the input layer, is unused).
// Missing keys take the defaults. Conversions (no clamping to the declared ranges):
// float sliders as the double value; angles degrees * 65536 rounded to nearest with halves away
// from zero; integer sliders rounded the same way; popups and the checkbox as integers.
// Sliders and angles interpolate between keys (angles in degrees, before the fixed-point
// conversion); popups and the checkbox hold the earlier key. Values beyond int32 saturate.
std::array<HostParamValue, kParamCount + 1> hostParamValues(const Scene& scene, double t);

// round(x) with halves away from zero, saturated to int32; NaN gives 0.
std::int32_t roundToInt32(double x);

} // namespace nebulastra::scene
